// Every text the plug-in shows or hands to the host, in one place. They are
// Windows-1250 bytes written as escapes, so that any C++ compiler emits them
// unchanged whatever its execution character set; each has its readable
// Polish above it. (A hex escape runs on while hex digits follow, so a digit
// or a-f after one starts a new literal: "\xB3" "a".)
#pragma once

#include "base/host_abi.h"

// --- The configuration page -------------------------------------------------

const char TEXT_CRITERIA_GROUP[] = "Kryteria wyszukiwania";
const char TEXT_RESULTS_GROUP[] = "Znalezione kontakty";
// "<b>Lunetka</b> pozwala na przeszukiwanie listy kontaktów według różnych kryteriów."
const char TEXT_DESCRIPTION[] =
    "<b>Lunetka</b> pozwala na przeszukiwanie listy kontakt\xF3w wed\xB3ug r\xF3\xBFnych kryteri\xF3w.";

// The field combo's labels, in the order of their values 0 to 8.
const char TEXT_FIELD_DESCRIPTION[] = "opis";
const char TEXT_FIELD_UID[] = "UID";
// "wyświetl jako"
const char TEXT_FIELD_DISPLAY_NAME[] = "wy\x9Cwietl jako";
// "komórka"
const char TEXT_FIELD_MOBILE[] = "kom\xF3rka";
const char TEXT_FIELD_IP[] = "IP";
// "miejscowość"
const char TEXT_FIELD_CITY[] = "miejscowo\x9C\xE6";
// "imię"
const char TEXT_FIELD_FIRST_NAME[] = "imi\xEA";
const char TEXT_FIELD_LAST_NAME[] = "nazwisko";
const char TEXT_FIELD_NICK[] = "ksywka";

// The condition combo's labels, in the order of the list (values 1, 0, 2-5).
const char TEXT_CONDITION_CONTAINS[] = "zawiera";
// "równe"
const char TEXT_CONDITION_EQUALS[] = "r\xF3wne";
// "różne od"
const char TEXT_CONDITION_DIFFERS[] = "r\xF3\xBFne od";
// "zaczyna się od"
const char TEXT_CONDITION_STARTS_WITH[] = "zaczyna si\xEA od";
// "kończy się na"
const char TEXT_CONDITION_ENDS_WITH[] = "ko\xF1" "czy si\xEA na";
const char TEXT_CONDITION_NOT_CONTAINS[] = "nie zawiera";

// Button captions: the caption, then the style the host gives the button.
// "Właściwości"
const char TEXT_PROPERTIES_BUTTON[] = "W\xB3" "a\x9C" "ciwo\x9C" "ci" CAPTION_STYLE_PROPERTIES;
// "Zacznij rozmowę"
const char TEXT_TALK_BUTTON[] = "Zacznij rozmow\xEA" CAPTION_STYLE_TALK;

// The menu entry, spelled without a diacritic.
const char TEXT_MENU_ENTRY[] = "Szukaj na liscie";

// The credits in the info box's tip; the build-date line stays last, with
// the build's time of day, then its date.
// "<br/>Autorzy: <b>zespół Lunetki</b>"
// "<br/>Opiekunowie: <b>twórcy i współpracownicy Lunetki</b>"
// "<br/>"
// "<br/>Część kodu przejęto z innej wtyczki, za zgodą jej autorów."
// "<br/>Więcej informacji i źródła znajdziesz na stronie projektu Lunetka."
// "<br/>Data kompilacji: <b>%s</b> @ <b>%s</b>"
const char TEXT_CREDITS_FORMAT[] =
    "<br/>Autorzy: <b>zesp\xF3\xB3 Lunetki</b>"
    "<br/>Opiekunowie: <b>tw\xF3rcy i wsp\xF3\xB3pracownicy Lunetki</b>"
    "<br/>"
    "<br/>Cz\xEA\x9C\xE6 kodu przej\xEAto z innej wtyczki, za zgod\xB9 jej autor\xF3w."
    "<br/>Wi\xEA" "cej informacji i \x9Fr\xF3" "d\xB3" "a znajdziesz na stronie projektu Lunetka."
    "<br/>Data kompilacji: <b>%s</b> @ <b>%s</b>";

// --- The result list and the search window ------------------------------------

const char TEXT_RESULT_COLUMN_CONTACT[] = "Kontakt";
// "Szukana wartość"
const char TEXT_RESULT_COLUMN_VALUE[] = "Szukana warto\x9C\xE6";
// "Szukaj na liście kontaktów"
const char TEXT_SEARCH_WINDOW_CAPTION[] = "Szukaj na li\x9C" "cie kontakt\xF3w";
