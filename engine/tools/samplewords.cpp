#include "samplewords.h"

const std::vector<QString> SampleWords::FirstNames = {
    "Alba", "Bruno", "Chiara", "Dario", "Elif",  "Fenna", "Goran", "Hana",  "Iker",  "Jovana",
    "Kofi", "Lena",  "Malik",  "Nadia", "Oskar", "Priya", "Quinn", "Rosa",  "Søren", "Tomás",
    "Ulla", "Vera",  "Wiktor", "Xenia", "Yusuf", "Zoë",   "Łucja", "Renée", "Mei",   "Anaïs"};
const std::vector<QString> SampleWords::LastNames = {
    "Abara",  "Brenner", "Castell", "Dorn",   "Eskola",    "Farrow", "Gallo",
    "Hartl",  "Ibsen",   "Janků",   "Kowal",  "Lindqvist", "Moreau", "Nakamura",
    "Okafor", "Pérez",   "Quist",   "Roth",   "Sørlie",    "Tanaka", "Umarov",
    "Varga",  "Weiß",    "Xu",      "Yılmaz", "Zeller",    "Ørsted", "Núñez"};
const std::vector<QString> SampleWords::Companies = {
    "Birchwood Tiles",       "Cobalt & Finch",
    "Dunmore Logistics",     "Elmstead Bakery",
    "Fjordline Studio",      "Grenfell, Hart & Co.",
    "Harbour \"North\" Ltd", "Inkwell Press",
    "Juniper Clinic",        ""};
const std::vector<QString> SampleWords::Words = {
    "meeting", "tomorrow", "lunch",    "train",  "ticket", "garden",  "coffee", "photos",
    "weekend", "report",   "birthday", "keys",   "parcel", "concert", "dinner", "bike",
    "rain",    "museum",   "map",      "recipe", "café",   "über",    "naïve",  "ok",
    "soon",    "later",    "great",    "thanks", "maybe",  "plan"};
const std::vector<QString> SampleWords::Places = {"Room 4, Level 2", "Old Harbour Café",
                                                  "Lindenstraße 12", "City Library",
                                                  "Riverside Park",  "Studio \"Blue\""};
const std::vector<QString> SampleWords::Domains = {"example.com", "example.org", "example.net"};
