#include "rkdb.h"

#include "cdx.h"
#include "cp1252.h"
#include "record.h"
#include "status.h"
#include "table.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <dlfcn.h>
#include <iostream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace rkdb {

namespace {
std::map<std::string, Command>& registry() {
    static std::map<std::string, Command> commands;
    return commands;
}

// Commands that need a library the others do without (Qt, for reports) are modules,
// rkdb-COMMAND.so, loaded when such a command is asked for. Loading one registers its
// commands; a module that cannot be loaded leaves them unknown, with the reason on stderr.
struct Module {
    const char* name;
    const char* usage;          // listed by help, which loads no module
    const char* file = nullptr; // rkdb-FILE.so when it is not rkdb-NAME.so
};
const Module kModules[] = {
    {"report", "report TABLE.dbf --fields F,G,... [--widths INCHES,...] [--title TEXT] "
               "[--order TAG] [--query EXPR] [--grid] [--landscape] (--pdf FILE | --text FILE)"},
    {"import-from", "import-from TABLE.dbf FILE [--format F] [--dry-run] [--merge] [--user-fields]",
     "interchange"},
    {"export-to", "export-to TABLE.dbf FILE --format tellico|csv", "interchange"}};

// Where a module may be: beside the program itself (a build) or in the installed library
// folder, found from the program's real path (an installed tree moved elsewhere) or as
// configured. Never the current folder, never a search of PATH: a module there would run
// with the user's rights.
std::vector<std::string> moduleFolders() {
    std::vector<std::string> out;
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    const std::string self = n > 0 ? std::string(buf, size_t(n)) : std::string();
    const size_t slash = self.find_last_of('/');
    if (!self.empty() && self[0] == '/' && slash != std::string::npos) {
        const std::string bin = self.substr(0, slash);
        out.push_back(bin);
        const size_t up = bin.find_last_of('/');
        if (up != std::string::npos) out.push_back(bin.substr(0, up) + "/" RKDB_MODULE_RELDIR);
    }
    out.push_back(RKDB_MODULE_DIR);
    return out;
}

void loadModule(const std::string& name) {
    const std::string file = "/rkdb-" + name + ".so";
    for (const std::string& folder : moduleFolders()) {
        const std::string path = folder + file;
        if (::access(path.c_str(), F_OK) != 0) continue;
        if (!::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            std::cerr << "rkdb: cannot load the " << name << " command: " << ::dlerror() << "\n";
        return;
    }
    std::cerr << "rkdb: cannot load the " << name << " command: rkdb-" << name
              << ".so is neither beside rkdb nor in " << RKDB_MODULE_DIR << "\n";
}

// The options a command takes are those its usage line names ("[--order TAG]", "--comma|--space").
bool takesOption(const Command& c, const std::string& name) {
    const std::string usage = c.usage;
    for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
        size_t end = at + 2;
        while (end < usage.size() &&
               (std::isalnum(static_cast<unsigned char>(usage[end])) || usage[end] == '-'))
            ++end;
        if (usage.compare(at + 2, end - at - 2, name) == 0 && end - at - 2 == name.size())
            return true;
    }
    return false;
}

void usage() {
    std::cerr << "usage: rkdb COMMAND ARGS...\n\ncommands:\n";
    std::map<std::string, std::string> lines;
    for (const auto& [name, c] : registry())
        lines[name] = c.usage;
    for (const Module& m : kModules)
        lines.emplace(m.name, m.usage);
    for (const auto& line : lines)
        std::cerr << "  rkdb " << line.second << "\n";
}
} // namespace

bool Args::has(const std::string& name) const {
    return std::any_of(options.begin(), options.end(),
                       [&](const auto& o) { return o.first == name; });
}

std::string Args::get(const std::string& name, const std::string& def) const {
    for (const auto& o : options)
        if (o.first == name) return o.second;
    return def;
}

bool registerCommand(const Command& c) {
    registry()[c.name] = c;
    return true;
}

int fail(int code, const std::string& message) {
    std::cerr << "rkdb: " << message << "\n";
    return code;
}

int exitFor(const rk::Status& s) {
    return s.code() == rk::Status::Code::InvalidArgument ? kProblem : kFileError;
}

rk::store::TableOptions readOptions() {
    rk::store::TableOptions o;
    o.readOnly = true;
    o.exclusive = false;
    return o;
}

int setOrderByName(rk::store::Table& t, const std::string& tag) {
    const int order = t.tagArea(tag);
    if (order == 0 && !tag.empty()) {
        if (t.dbf()->hasStructuralIndex() && (!t.index() || !t.index()->usable()))
            return fail(kFileError, "the order " + tag + " cannot be used: the index of " +
                                        t.path() +
                                        " is missing or damaged (see the note above); rebuild "
                                        "it with: rkdb index " +
                                        t.path());
        return fail(kUsage, "the table has no tag '" + tag + "'");
    }
    t.setOrder(order);
    return kOk;
}

namespace {
std::string escaped(std::string_view text, bool (*control)(unsigned char)) {
    std::string out;
    for (unsigned char c : text) {
        if (control(c)) {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
} // namespace

std::string escapeControls(std::string_view text) {
    return escaped(text, [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

std::string terminalText(std::string_view cp1252) {
    std::string out;
    appendTerminalText(&out, cp1252);
    return out;
}

void appendTerminalText(std::string* out, std::string_view cp1252) {
    for (size_t i = 0; i < cp1252.size();) {
        // Plain ASCII, the most of it, as it is.
        size_t plain = i;
        while (plain < cp1252.size() && static_cast<unsigned char>(cp1252[plain]) >= 0x20 &&
               static_cast<unsigned char>(cp1252[plain]) < 0x7F)
            ++plain;
        out->append(cp1252.data() + i, plain - i);
        if (plain == cp1252.size()) break;
        const std::string_view one = cp1252.substr(plain, 1);
        *out += rk::cp1252::toUtf8(escaped(one, rk::dbf::isControlByte));
        i = plain + 1;
    }
}

int openTable(rk::store::Table& t) {
    rk::Status s = t.open();
    if (!s) return fail(exitFor(s), s.message());
    for (const auto& n : t.notices())
        std::cerr << "rkdb: note: " << escapeControls(n) << "\n";
    return kOk;
}

std::vector<std::string> splitList(const std::string& s, bool keepEmpty) {
    std::vector<std::string> out;
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ','))
        if (keepEmpty || !item.empty()) out.push_back(item);
    return out;
}

int fieldList(const rk::store::Table& t, const std::string& names,
              std::vector<const rk::dbf::FieldDef*>* out) {
    out->clear();
    for (const auto& name : splitList(names)) {
        const auto* f = t.field(name);
        if (!f) return fail(kUsage, "the table has no field '" + name + "'");
        out->push_back(f);
    }
    return kOk;
}

int printRecords(rk::store::Table& t, const std::vector<const rk::dbf::FieldDef*>& fields,
                 bool markDeleted) {
    std::string out;
    std::vector<int> only; // the record copies only what is printed
    for (const auto* f : fields)
        only.push_back(t.fieldIndex(f->name));
    rk::Status s = t.walk(
        [&](uint32_t r, std::string_view img) {
            out += std::to_string(r);
            for (const auto* f : fields) {
                out += '\t';
                if (f->type == 'C')
                    appendTerminalText(&out, rk::dbf::trimmedField(img, *f));
                else
                    appendTerminalText(&out, rk::dbf::displayText(img, *f));
            }
            if (markDeleted && rk::dbf::isDeleted(img)) out += "\t*";
            out += '\n';
            if (out.size() > (1 << 16)) {
                std::cout << out;
                out.clear();
            }
            return true;
        },
        only);
    std::cout << out;
    if (!s) return fail(exitFor(s), s.message());
    return kOk;
}

} // namespace rkdb

int main(int argc, char** argv) {
    using namespace rkdb;
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
        usage();
        return argc < 2 ? kUsage : kOk;
    }
    if (!registry().count(argv[1]))
        for (const Module& m : kModules)
            if (argv[1] == std::string(m.name)) loadModule(m.file ? m.file : m.name);
    auto it = registry().find(argv[1]);
    if (it == registry().end()) {
        usage();
        return fail(kUsage, std::string("unknown command '") + argv[1] + "'");
    }
    const Command& cmd = it->second;
    Args args;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a.substr(2), value;
            auto eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            } else if (std::find(cmd.valueOptions.begin(), cmd.valueOptions.end(), name) !=
                       cmd.valueOptions.end()) {
                if (i + 1 >= argc) return fail(kUsage, "--" + name + " needs a value");
                value = argv[++i];
            }
            if (!takesOption(cmd, name))
                return fail(kUsage, std::string("rkdb ") + cmd.name + " takes no option --" + name +
                                        "; usage: rkdb " + cmd.usage);
            args.options.emplace_back(name, value);
        } else {
            args.positional.push_back(a);
        }
    }
    try {
        return cmd.run(args);
    } catch (const std::exception& e) {
        return fail(kProblem, std::string("internal error: ") + e.what());
    }
}
