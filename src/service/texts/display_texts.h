#pragma once
// The display-text commands: importing translated files into the language files, creating the
// file a translator starts from, and the menu layout file; the font builder's entry.
#include <string>

#include "service/core/command_host.h"
#include "service/core/outcome.h"

namespace service {

// "Import translated file...": a translation file and its language chosen, compiled, "Eseguito!".
Outcome ImportTranslatedFile(CommandHost& host);
// "Importa tutti i file tradotti...": TradIta.txt, TradIng.txt, TradFra.txt, TradSpa.txt of the
// program folder into languages 0..3; the first that fails ends the series.
Outcome ImportAllTranslatedFiles(CommandHost& host);
// "Crea file da tradurre...": the translation file of a language, from its current files.
Outcome CreateTranslationFile(CommandHost& host);
// "Crea file formato menù...": the menu layout lines of a language, as "TrasformaMenu.asm".
Outcome CreateMenuFormatFile(CommandHost& host);
// "Select font KRN Visual...": the font builder's dialog.
Outcome FontBuilderCommand(CommandHost& host);

// The steps of those commands with their answers given (krnctl calls these). Each shows its own
// boxes; `done` adds the closing "Eseguito!".
Outcome importTranslation(CommandHost& host, const std::string& path, int language,
                          bool done = true);
Outcome importAllTranslations(CommandHost& host);
Outcome writeTranslationFile(CommandHost& host, int language, const std::string& path,
                             bool done = true);
Outcome writeMenuFormatFile(CommandHost& host, int language, const std::string& path,
                            bool done = true);

inline constexpr const char* kEseguito = "Eseguito!";

}  // namespace service
