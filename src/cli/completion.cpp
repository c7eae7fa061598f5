#include "cli/completion.h"

#include <sstream>
#include <vector>

namespace cli {
namespace {

// The words each level offers: its visible subcommands and the long and short names of its
// options. The global options are offered at every level, where they are accepted too.
std::string words(const CLI::App& level, const std::string& globals) {
    std::string w;
    for (const CLI::App* sub :
         level.get_subcommands([](const CLI::App* s) { return !s->get_group().empty(); }))
        w += sub->get_name() + " ";
    for (const CLI::Option* o : level.get_options([](const CLI::Option* opt) {
             return opt->nonpositional() && !opt->get_group().empty();
         })) {
        for (const auto& n : o->get_lnames()) w += "--" + n + " ";
        for (const auto& n : o->get_snames()) w += "-" + n + " ";
    }
    return w + globals;
}

void levels(const CLI::App& level, const std::string& path, const std::string& globals,
            std::vector<std::pair<std::string, std::string>>& out) {
    out.emplace_back(path, words(level, path.empty() ? "" : globals));
    for (const CLI::App* sub :
         level.get_subcommands([](const CLI::App* s) { return !s->get_group().empty(); }))
        levels(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), globals, out);
}

}  // namespace

std::string bashCompletion(const CLI::App& app) {
    std::string globals;
    for (const CLI::Option* o : app.get_options([](const CLI::Option* opt) {
             return opt->nonpositional() && !opt->get_group().empty();
         }))
        for (const auto& n : o->get_lnames())
            if (n != "help" && n != "version") globals += "--" + n + " ";
    std::vector<std::pair<std::string, std::string>> all;
    levels(app, "", globals, all);

    std::ostringstream s;
    s << "# bash completion for krnctl; written by \"krnctl --bash-completion\".\n"
         "_krnctl() {\n"
         "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" path=\"\" next i\n"
         "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "        next=\"${path:+$path }${COMP_WORDS[i]}\"\n"
         "        case \"$next\" in\n"
         "            ";
    for (std::size_t i = 1; i < all.size(); ++i)
        s << (i == 1 ? "" : "|") << "\"" << all[i].first << "\"";
    s << ") path=\"$next\" ;;\n"
         "        esac\n"
         "    done\n"
         "    local words=\"\"\n"
         "    case \"$path\" in\n";
    for (const auto& [path, w] : all) s << "        \"" << path << "\") words=\"" << w << "\" ;;\n";
    s << "    esac\n"
         "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
         "}\n"
         "complete -o default -F _krnctl krnctl\n";
    return s.str();
}

}  // namespace cli
