#include "service/texts/display_texts.h"

#include <array>

#include "resources/language_files.h"
#include "resources/translation_compiler.h"
#include "resources/translation_export.h"
#include "service/core/messages.h"

namespace service {
namespace {

void box(CommandHost& host, const std::string& text, platform::MessageIcon icon) {
    host.dialogs().message({text, "", icon, platform::MessageButtons::Ok, 0});
}

void done(CommandHost& host) {
    box(host, kEseguito, platform::MessageIcon::Information);
}

Outcome cannotWrite(CommandHost& host, const std::string& path) {
    box(host, std::string(text::kCannotWriteFile) + path, platform::MessageIcon::Exclamation);
    return Outcome::FileError;
}

const std::vector<platform::FileFilter> kTextFilters = {{"Text file", {"*.txt"}},
                                                        {"All files", {"*.*"}}};
const std::vector<platform::FileFilter> kAsmFilters = {{"File asm", {"*.asm"}},
                                                       {"All files", {"*.*"}}};

Outcome writeLines(CommandHost& host, const std::optional<std::vector<std::string>>& lines,
                   int language, const std::string& path, bool closing) {
    const resources::LanguageFiles* files = resources::language(language);
    if (!lines || !files) {
        box(host,
            "Impossibile leggere i file " + std::string(files ? files->textFile : "") + ", " +
                (files ? files->menuFile : "") + "\n" + host.programFolder(),
            platform::MessageIcon::Exclamation);
        return Outcome::FileError;
    }
    if (!resources::replaceRawLines(path, *lines)) return cannotWrite(host, path);
    if (closing) done(host);
    return Outcome::Done;
}

}  // namespace

Outcome importTranslation(CommandHost& host, const std::string& path, int language, bool closing) {
    const auto result = resources::compileTranslation(host.programFolder(), path, language);
    for (const auto& p : result.problems) box(host, p.box, platform::MessageIcon::Exclamation);
    if (result.status == resources::CompileStatus::FileError) {
        box(host,
            "Impossibile aprire o scrivere il file " + result.fileError +
                (result.fileReason.empty() ? "" : ": " + result.fileReason),
            platform::MessageIcon::Exclamation);
        return Outcome::FileError;
    }
    if (result.status != resources::CompileStatus::Done) return Outcome::FileError;
    if (closing) done(host);
    return Outcome::Done;
}

Outcome importAllTranslations(CommandHost& host) {
    // Czech and German are not part of the series.
    for (int language = 0; language < 4; ++language) {
        const std::string path = resources::joinPath(
            host.programFolder(), resources::language(language)->translationFile);
        if (const Outcome o = importTranslation(host, path, language, false); o != Outcome::Done)
            return o;
    }
    done(host);
    return Outcome::Done;
}

Outcome writeTranslationFile(CommandHost& host, int language, const std::string& path,
                             bool closing) {
    return writeLines(host, resources::translationLines(host.programFolder(), language), language,
                      path, closing);
}

Outcome writeMenuFormatFile(CommandHost& host, int language, const std::string& path,
                            bool closing) {
    return writeLines(host, resources::menuFormatLines(host.programFolder(), language), language,
                      path, closing);
}

Outcome ImportTranslatedFile(CommandHost& host) {
    const auto path =
        host.dialogs().openFile("Traslated text file", host.programFolder(), kTextFilters);
    if (!path) return Outcome::Cancelled;
    const auto language = host.chooseLanguage("Import translated file...", false);
    if (!language) return Outcome::Cancelled;
    return importTranslation(host, *path, *language);
}

Outcome ImportAllTranslatedFiles(CommandHost& host) {
    return importAllTranslations(host);
}

Outcome CreateTranslationFile(CommandHost& host) {
    const auto language = host.chooseLanguage("Crea file da tradurre...", true);
    if (!language) return Outcome::Cancelled;
    const auto path = host.dialogs().saveFile(
        "Crea file da tradurre",
        resources::joinPath(host.programFolder(), resources::language(*language)->translationFile),
        kTextFilters);
    if (!path) return Outcome::Cancelled;
    return writeTranslationFile(host, *language, *path);
}

Outcome CreateMenuFormatFile(CommandHost& host) {
    const auto language = host.chooseLanguage("Crea file formato menù...", true);
    if (!language) return Outcome::Cancelled;
    const auto path = host.dialogs().saveFile(
        "Crea file formato menù",
        resources::joinPath(host.programFolder(), resources::kMenuFormatFile), kAsmFilters);
    if (!path) return Outcome::Cancelled;
    return writeMenuFormatFile(host, *language, *path);
}

Outcome FontBuilderCommand(CommandHost& host) {
    host.showFontBuilder();
    return Outcome::Done;
}

}  // namespace service
