#include "webaddress.h"

namespace rk::search {

namespace {

constexpr std::string_view kText = "{text}";

constexpr std::array<std::string_view, kSearchChoiceCount> kNames = {
    "MoviesOnly",    "MoviesAndTV", "TVOnly",       "AwardsByCategory", "AwardsByYear",
    "AwardsSummary", "LatestNews",  "FamousQuotes", "Biography",        "Actors",
    "Actresses",     "Directors",   "Writers",
};

constexpr std::string_view kNameSearch = "https://www.imdb.com/find/?q={text}&s=nm";

constexpr std::array<std::string_view, kSearchChoiceCount> kDefaults = {
    "https://www.imdb.com/find/?q={text}&s=tt&ttype=ft",
    "https://www.imdb.com/find/?q={text}&s=tt",
    "https://www.imdb.com/find/?q={text}&s=tt&ttype=tv",
    "https://awardsdatabase.oscars.org/",
    "https://www.imdb.com/event/ev0000003/",
    "https://en.wikipedia.org/wiki/Academy_Awards",
    "https://www.imdb.com/news/movie/",
    "https://www.moviequotes.com/",
    kNameSearch,
    kNameSearch,
    kNameSearch,
    kNameSearch,
    kNameSearch,
};

bool keptAsIs(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '*';
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// Why an address cannot be used; empty when it can.
std::string addressProblem(std::string_view address) {
    if (address.substr(0, 8) != "https://" && address.substr(0, 7) != "http://")
        return "the address does not begin with https:// or http://";
    for (const char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c == 0x7F) return "the address holds a space or a control character";
    }
    return {};
}

} // namespace

std::string_view searchChoiceName(SearchChoice choice) {
    return kNames[std::size_t(choice)];
}

SearchAddresses defaultSearchAddresses() {
    SearchAddresses a;
    for (std::size_t i = 0; i < a.address.size(); ++i)
        a.address[i] = std::string(kDefaults[i]);
    return a;
}

ReadAddresses readSearchAddresses(std::string_view fileText) {
    ReadAddresses read{defaultSearchAddresses(), {}};
    std::size_t lineNo = 0;
    while (!fileText.empty()) {
        const auto end = fileText.find('\n');
        const std::string_view raw = fileText.substr(0, end);
        fileText = end == std::string_view::npos ? std::string_view() : fileText.substr(end + 1);
        ++lineNo;
        const std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == '#') continue;
        auto problem = [&](const std::string& why) {
            read.problems.push_back("line " + std::to_string(lineNo) + ": " + why);
        };
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            problem("no \"=\" between a name and an address");
            continue;
        }
        const std::string_view name = trimmed(line.substr(0, eq));
        const std::string_view address = trimmed(line.substr(eq + 1));
        std::size_t index = 0;
        while (index < kNames.size() && kNames[index] != name)
            ++index;
        if (index == kNames.size()) {
            problem("\"" + std::string(name) + "\" is not the name of a search");
            continue;
        }
        if (const std::string why = addressProblem(address); !why.empty()) {
            problem(why);
            continue;
        }
        read.addresses.address[index] = std::string(address);
    }
    return read;
}

std::string searchAddressesText(const SearchAddresses& addresses) {
    std::string text =
        "# The addresses the internet search opens, one a line: Name = address.\n"
        "# {text} stands for the text typed in the search window. Delete a line to go\n"
        "# back to the built-in address.\n";
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        text += kNames[i];
        text += " = ";
        text += addresses.address[i];
        text += '\n';
    }
    return text;
}

std::string encodeSearchText(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() * 3);
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += '+';
        } else if (keptAsIs(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> searchAddress(const SearchAddresses& addresses, SearchChoice choice,
                                         std::string_view text) {
    std::string address = addresses[choice];
    auto at = address.find(kText);
    if (at == std::string::npos) return address;
    if (text.empty()) return std::nullopt;
    const std::string encoded = encodeSearchText(text);
    for (; at != std::string::npos; at = address.find(kText, at + encoded.size()))
        address.replace(at, kText.size(), encoded);
    return address;
}

bool isOpenableAddress(std::string_view address) {
    return address.find_first_not_of(' ') != std::string_view::npos;
}

} // namespace rk::search
