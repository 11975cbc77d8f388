#!/usr/bin/env python3
"""The plug-in's texts, written here in plain Polish and encoded by Python's
own Windows-1250 codec, must stand in the built DLL byte for byte: whatever
compiler built it, with no character-set option."""
import sys

TEXTS = [
    "<b>Lunetka</b> pozwala na przeszukiwanie listy kontaktów według różnych kryteriów.",
    "Kryteria wyszukiwania",
    "Znalezione kontakty",
    "opis", "UID", "wyświetl jako", "komórka", "IP", "miejscowość", "imię", "nazwisko", "ksywka",
    "zawiera", "równe", "różne od", "zaczyna się od", "kończy się na", "nie zawiera",
    "Właściwości\x03102",
    "Zacznij rozmowę\x031342177296",
    "Szukaj na liscie",
    "<br/>Autorzy: <b>zespół Lunetki</b>"
    "<br/>Opiekunowie: <b>twórcy i współpracownicy Lunetki</b>"
    "<br/>"
    "<br/>Część kodu przejęto z innej wtyczki, za zgodą jej autorów."
    "<br/>Więcej informacji i źródła znajdziesz na stronie projektu Lunetka."
    "<br/>Data kompilacji: <b>%s</b> @ <b>%s</b>",
    "Kontakt",
    "Szukana wartość",
    "Szukaj na liście kontaktów",
    # The combo lists' formats: label, 0x02, the value.
    " %s\x020\n %s\x021\n %s\x022\n %s\x023\n %s\x024\n %s\x025\n %s\x026\n %s\x027\n %s\x028",
    " %s\x021\n %s\x020\n %s\x022\n %s\x023\n %s\x024\n %s\x025",
]


def main(dll):
    image = open(dll, "rb").read()
    missing = [text for text in TEXTS if text.encode("cp1250") + b"\0" not in image]
    for text in missing:
        print("FAIL: not in %s: %r" % (dll, text))
    print("%d passed, %d failed" % (len(TEXTS) - len(missing), len(missing)))
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
