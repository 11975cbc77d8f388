#!/usr/bin/env python3
"""Writes the bundled sample contact list (UTF-8 CSV) for the stand-in host:
plausible Polish contacts on four networks, the same file for the same seed."""
import argparse
import csv
import random

FIRST = {
    "M": ["Adam", "Bartłomiej", "Cezary", "Dariusz", "Edward", "Filip", "Grzegorz", "Henryk", "Ireneusz",
          "Jakub", "Kamil", "Łukasz", "Marek", "Norbert", "Oskar", "Paweł", "Radosław", "Sławomir",
          "Tomasz", "Wojciech", "Zbigniew", "Żelisław", "Jędrzej", "Mikołaj", "Stanisław"],
    "F": ["Agnieszka", "Barbara", "Celina", "Dorota", "Elżbieta", "Grażyna", "Halina", "Iwona", "Joanna",
          "Katarzyna", "Łucja", "Małgorzata", "Natalia", "Olga", "Patrycja", "Renata", "Sylwia", "Teresa",
          "Urszula", "Weronika", "Zofia", "Żaneta", "Jadwiga", "Bożena", "Ewelina"],
}
LAST = [("Nowak", "Nowak"), ("Kowalski", "Kowalska"), ("Wiśniewski", "Wiśniewska"), ("Wójcik", "Wójcik"),
        ("Kowalczyk", "Kowalczyk"), ("Kamiński", "Kamińska"), ("Lewandowski", "Lewandowska"),
        ("Zieliński", "Zielińska"), ("Szymański", "Szymańska"), ("Woźniak", "Woźniak"),
        ("Dąbrowski", "Dąbrowska"), ("Kozłowski", "Kozłowska"), ("Jankowski", "Jankowska"),
        ("Mazur", "Mazur"), ("Krawczyk", "Krawczyk"), ("Piotrowski", "Piotrowska"), ("Grabowski", "Grabowska"),
        ("Pawłowski", "Pawłowska"), ("Michalski", "Michalska"), ("Król", "Król"), ("Wieczorek", "Wieczorek"),
        ("Jabłoński", "Jabłońska"), ("Wróbel", "Wróbel"), ("Nowakowski", "Nowakowska"), ("Majewski", "Majewska"),
        ("Olszewski", "Olszewska"), ("Stępień", "Stępień"), ("Malinowski", "Malinowska"), ("Jaworski", "Jaworska"),
        ("Górski", "Górska"), ("Rutkowski", "Rutkowska"), ("Sikora", "Sikora"), ("Baran", "Baran"),
        ("Duda", "Duda"), ("Szewczyk", "Szewczyk"), ("Tomaszewski", "Tomaszewska"), ("Pietrzak", "Pietrzak"),
        ("Żak", "Żak"), ("Ślusarczyk", "Ślusarczyk"), ("Łęcki", "Łęcka")]
CITIES = ["Warszawa", "Kraków", "Łódź", "Wrocław", "Poznań", "Gdańsk", "Szczecin", "Bydgoszcz", "Lublin",
          "Białystok", "Katowice", "Gdynia", "Częstochowa", "Radom", "Toruń", "Sosnowiec", "Rzeszów", "Kielce",
          "Gliwice", "Olsztyn", "Zielona Góra", "Bielsko-Biała", "Opole", "Elbląg", "Płock", "Wałbrzych",
          "Gorzów Wielkopolski", "Włocławek", "Tarnów", "Chorzów", "Koszalin", "Kalisz", "Legnica",
          "Grudziądz", "Słupsk", "Jaworzno", "Jastrzębie-Zdrój", "Nowy Sącz", "Jelenia Góra", "Siedlce",
          "Mysłowice", "Piła", "Ostrów Wielkopolski", "Łomża", "Żory", "Świnoujście", "Zakopane"]
DESCRIPTIONS = ["", "", "", "w pracy", "na urlopie do poniedziałku", "zaraz wracam", "nie przeszkadzać",
                "dostępny wieczorem", "w podróży", "na spotkaniu", "piszcie śmiało", "jestem na uczelni",
                "oglądam mecz", "śpię", "głodny", "wyjechałam nad morze", "w górach bez zasięgu",
                "dzwonić tylko w pilnych sprawach", "zajęta — oddzwonię", "pracuję zdalnie",
                "kupię rower, sprzedam narty", "100% wolnego czasu", "gram w szachy", "czytam książkę"]
NICK_ENDINGS = ["ek", "uś", "cia", "sia", "ka", "ol", "ix", "99", "_pl", ""]
NETWORKS = [1, 1, 1, 2, 2, 3, 9]  # 9: a network no plug-in of the host gives an icon


def nickname(rng, first):
    base = first.lower()[: rng.randint(3, 5)]
    return base + rng.choice(NICK_ENDINGS)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--count", type=int, default=320)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("output")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    with open(args.output, "w", encoding="utf-8", newline="") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(["uid", "net", "display", "first_name", "last_name", "nick", "mobile", "city", "ip",
                         "description"])
        writer.writerow(["1000001", "1", "Ja", "Jan", "Lunetkowski", "jasio", "600000001", "Kraków",
                         "192.168.0.2", "moje konto"])
        used = set()
        for i in range(args.count):
            sex = rng.choice("MF")
            first = rng.choice(FIRST[sex])
            last = rng.choice(LAST)[0 if sex == "M" else 1]
            while (first, last) in used:
                first = rng.choice(FIRST[sex])
                last = rng.choice(LAST)[0 if sex == "M" else 1]
            used.add((first, last))
            nick = nickname(rng, first)
            display = rng.choice([f"{first} {last}", f"{first} {last}", nick, f"{first} {last[0]}.",
                                  f"{last} {first}"])
            writer.writerow([
                str(2000000 + rng.randint(0, 7999999)),
                str(rng.choice(NETWORKS)),
                display,
                first,
                last,
                nick,
                rng.choice(["5", "6", "7", "8"]) + "".join(str(rng.randint(0, 9)) for _ in range(8)),
                rng.choice(CITIES),
                f"{rng.choice([10, 83, 89, 91, 192])}.{rng.randint(0, 255)}.{rng.randint(0, 255)}.{rng.randint(1, 254)}",
                rng.choice(DESCRIPTIONS),
            ])


if __name__ == "__main__":
    main()
