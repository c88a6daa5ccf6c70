#include "converter-ui/string_table.h"

#include <algorithm>
#include <iterator>

namespace ui {
namespace {

struct Entry {
  int id;
  const char* text;
};

// Sorted by identifier.
constexpr Entry kStrings[] = {
    {20, "English"},
    {21, "German"},
    {22, "French"},
    {101, "Ab&out RUV izadaveve ..."},
    {201, "AVI Files (*.avi)|*.avi|All Files (*.*)|*.*||"},
    {202, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
    {203, "There is no information"},
    {204, "Total %4d Frames (%dx%d)  %s"},
    {205, "Lenght: %.2lf sec  (%.2lf [Frames/sec])"},
    {206, "Buffer: %d [kB]"},
    {208, "%c%c%c%c      Initial %d Frames"},
    {209, "%.2lf sec  (%.2lf [Frames/sec])"},
    {210, "%d x %d  Colors: %s"},
    {211, "Buffer: %d [kB]"},
    {212, "%c%c%c%c       Initial %d Frames"},
    {213, "%.2lf sec"},
    {214, "%s %d Hz %d [Bits/Sample]"},
    {215, "Buffer: %d [kB]"},
    {216, "Total %4d Frames (initial %d)  %s"},
    {217, "Length: %.2lf sec  (%.2lf [Frames/sec])"},
    {218, "Size: %d x %d"},
    {219, "Buffer: %d [kB]"},
    {220, "File:\n%s\nhas not QX62 format."},
    {221, "File:\n%s\nhas not QX63 format."},
    {222, "Cannot open:\n%s\nfor writing."},
    {223, "File:\n%s\nhas no MJPG Video.\nCannot convert."},
    {224, "\nShould I convert it ?"},
    {300, "AVIQX62 -> AVI"},
    {301, "AVIQX62 -> AVI (still)"},
    {302, "AVI     -> AVIQX62"},
    {303, "AVI     -> AVIQX62 (still)"},
    {304, "AVI     -> AVI still"},
    {305, "AVI     -> Txt"},

    {1020, "Englisch"},
    {1021, "Deutsch"},
    {1022, "Französisch"},
    {1101, "Inf&o über RUV izadaveve..."},
    {1201, "AVI Dateien (*.avi)|*.avi|Alle Dateien (*.*)|*.*||"},
    {1202, "Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*||"},
    {1203, "Keine Information vorhanden"},
    {1204, "Insgesamt %4d Bilder (%dx%d)  %s"},
    {1205, "Länge: %.2lf sek  (%.2lf [Bilder/sek])"},
    {1206, "Puffer: %d [kB]"},
    {1208, "%c%c%c%c      Vorweg %d Bilder"},
    {1209, "%.2lf sek  (%.2lf [Bilder/sek])"},
    {1210, "%d x %d  Farben: %s"},
    {1211, "Puffer: %d [kB]"},
    {1212, "%c%c%c%c      Vorweg %d Blöcke"},
    {1213, "%.2lf sek"},
    {1214, "%s %d Hz %d [Bits/Sample]"},
    {1215, "Puffer: %d [kB]"},
    {1216, "Insgesamt %4d Bilder (vorweg %d)  %s"},
    {1217, "Länge: %.2lf sek  (%.2lf [Bilder/sek])"},
    {1218, "Größe: %d x %d"},
    {1219, "Puffer: %d [kB]"},
    {1220, "Die Datei:\n%s\nhat nicht das QX62 Format."},
    {1221, "Die Datei:\n%s\nhat nicht das QX63 Format."},
    {1222, "Kann nicht die Datei:\n%s\nzum Schreiben öffnen."},
    {1223, "Die Datei:\n%s\nhat kein MJPG Video.\nKann nicht konvertiert werden."},
    {1224, "\nTrotzdem konvertieren ?"},
    {1300, "AVIQX62 -> AVI"},
    {1301, "AVIQX62 -> AVI (Standbilder)"},
    {1302, "AVI     -> AVIQX62"},
    {1303, "AVI     -> AVIQX62 (Standbilder)"},
    {1304, "AVI     -> AVI Standbilder"},
    {1305, "AVI     -> Txt"},

    {2020, "Anglais"},
    {2021, "Allemand"},
    {2022, "Français"},
    {2101, "Inf&ormations sur clipmill..."},
    {2201, "Des fichiers AVI(*.avi)|*.avi|Tous les fichiers (*.*)|*.*||"},
    {2202, "Des fichiere de texte(*.txt)|*.txt|Tous les fichiers  (*.*)|*.*||"},
    {2203, "Aucune information n'est disponible"},
    {2204, "%4d images au total (%dx%d)  %s"},
    {2205, "Longueur: %.2lf sec  (%.2lf [images/sec])"},
    {2206, "Mémoire-tampon: %d [kB]"},
    {2208, "%c%c%c%c      %d images au initial"},
    {2209, "%.2lf sek  (%.2lf [images/sec])"},
    {2210, "%d x %d   Couleurs: %s"},
    {2211, "Mémoire-tampon: %d [kB]"},
    {2212, "%c%c%c%c      %d images au initial"},
    {2213, "%.2lf sek"},
    {2214, "%s %d Hz %d [Bits/Sample]"},
    {2215, "Mémoire-tampon: %d [kB]"},
    {2216, "%4d images au total (initial %d)  %s"},
    {2217, "Longueur: %.2lf sek  (%.2lf [images/sec])"},
    {2218, "Dimensions: %d x %d"},
    {2219, "Mémoire-tampon: %d [kB]"},
    {2220, "Le fichier:\n%s\nn'a pas le format QX62 MJPG."},
    {2221, "Le fichier:\n%s\nn'a pas le format QX63 MJPG."},
    {2222, "Le fichier:\n%s\nne peut pas être ouvert pour l'écriture."},
    {2223, "Le fichier:\n%s\nn'a pas de vidéo MJPG,\nne peut pas être converti."},
    {2224, "\nConvertir quand même?"},
    {2300, "AVIQX62 -> AVI"},
    {2301, "AVIQX62 -> AVI (images)"},
    {2302, "AVI     -> AVIQX62"},
    {2303, "AVI     -> AVIQX62 (images)"},
    {2304, "AVI     -> AVI images"},
    {2305, "AVI     -> Txt"},
};

// Texts of the dialog layouts, by layout (template id + language base) and control.
struct DialogEntry {
  int layout;
  int control;
  const char* text;
};

constexpr DialogEntry kDialogTexts[] = {
    // Main dialog, 102 / 1102 / 2102.
    {102, kCaption, "Kovo RUV izadaveve"},
    {102, kInputGroup, "Input File"},
    {102, 1002, "Browse ..."},
    {102, 1004, "&more ..."},
    {102, kOutputGroup, "Output File"},
    {102, 1008, "use input file"},
    {102, 1005, "Browse ..."},
    {102, 1000, "&Start"},
    {1102, kCaption, "Kovo RUV izadaveve"},
    {1102, kInputGroup, "Eingabe Datei"},
    {1102, 1002, "Durchsuchen..."},
    {1102, 1004, "&mehr ..."},
    {1102, kOutputGroup, "Ausgabe Datei"},
    {1102, 1008, "Eingabe Datei benutzen"},
    {1102, 1005, "Durchsuchen..."},
    {1102, 1000, "&Start"},
    {2102, kCaption, "Kovo RUV izadaveve"},
    {2102, kInputGroup, "Fichier d'entrée"},
    {2102, 1002, "Parcourir..."},
    {2102, 1004, "En&core..."},
    {2102, kOutputGroup, "Fichier sortie"},
    {2102, 1008, "Utilisier le fichier d'entrée"},
    {2102, 1005, "Parcourir..."},
    {2102, 1000, "&Démarrage"},
    // About dialog, 100 / 1100 / 2100.
    {100, kCaption, "About RUV izadaveve"},
    {100, kAboutName, "Kovo RUV izadaveve"},
    {100, kAboutFor, "for KovoVIDEO Editing Products"},
    {100, kAboutVersion, "Win32 Version 4.0.0"},
    {100, 1, "OK"},
    {1100, kCaption, "Zu Ihrer Information"},
    {1100, kAboutName, "Kovo RUV izadaveve"},
    {1100, kAboutFor, "für KovoVIDEO Editing Produkte"},
    {1100, kAboutVersion, "Win32 Version 4.0.0"},
    {1100, 1, "OK"},
    {2100, kCaption, "pour votre information"},
    {2100, kAboutName, "Kovo RUV izadaveve"},
    {2100, kAboutFor, "pour des produits KovoVIDEO Editing"},
    {2100, kAboutVersion, "Win32 Version 4.0.0"},
    {2100, 1, "OK"},
    // Information dialog, 129 (English only).
    {129, kCaption, "AVI-File Information"},
    {129, kParameterGroup, "Parameter"},
    {129, 1023, "Video"},
    {129, 1022, "Audio"},
};

}  // namespace

const char* DialogText(int layout, int control) {
  for (const DialogEntry& entry : kDialogTexts) {
    if (entry.layout == layout && entry.control == control) return entry.text;
  }
  return "";
}

const char* LoadString(int id) {
  const auto* end = std::end(kStrings);
  const auto* found = std::lower_bound(std::begin(kStrings), end, id,
                                       [](const Entry& e, int key) { return e.id < key; });
  return found != end && found->id == id ? found->text : nullptr;
}

}  // namespace ui
