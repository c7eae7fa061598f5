#include "service/core/program_folder.h"

#include <cstdlib>
#include <filesystem>

#include "service/core/answers.h"

namespace service {

Outcome ProgramFolderCommand(CommandHost& host) {
    const std::string folder = host.programFolder();
    std::error_code ec;
    const char* problem = nullptr;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        problem = "Program folder not found:\n";
    else if (!host.showFolder(folder))
        problem = "The program folder cannot be opened:\n";
    if (!problem) return Outcome::Done;
    tell(host, problem + folder, platform::MessageIcon::Exclamation);
    return Outcome::FileError;
}

std::string resolveProgramFolder(const std::string& option, const std::string& perUserFolder,
                                 const std::string& shipped) {
    namespace fs = std::filesystem;
    if (!option.empty()) return option;
    if (const char* env = std::getenv("KRN_FOLDER"); env && *env) return env;
    std::error_code ec;
    fs::create_directories(perUserFolder, ec);
    if (ec) return {};
    // On every start, not only the first: data shipped after the folder was made (an update, a
    // package installed later) reaches it too. A file the technician has, changed or not, is
    // never overwritten.
    if (!shipped.empty() && fs::is_directory(shipped, ec)) {
        for (const auto& entry : fs::directory_iterator(shipped, ec)) {
            std::error_code one;
            fs::copy(entry.path(), fs::path(perUserFolder) / entry.path().filename(),
                     fs::copy_options::recursive | fs::copy_options::skip_existing, one);
        }
    }
    return perUserFolder;
}

std::string shippedDataFolder(const std::string& programDirectory, const std::string& installed,
                              const std::string& buildTree) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!programDirectory.empty() && !installed.empty()) {
        const fs::path candidate = fs::path(programDirectory) / installed;
        if (fs::is_directory(candidate, ec)) return candidate.lexically_normal().string();
    }
    return buildTree;
}

}  // namespace service
