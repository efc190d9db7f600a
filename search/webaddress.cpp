#include "webaddress.h"

namespace rk::search {

namespace {

std::string filmDatabase(std::string_view pathAndQuery) {
    std::string a = "https://";
    a += kFilmDatabaseHost;
    a += pathAndQuery;
    return a;
}

bool keptAsIs(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '*';
}

} // namespace

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

std::optional<std::string> movieSearchAddress(std::string_view text, MovieSearchType type) {
    if (text.empty()) return std::nullopt;
    const char* tv = type == MovieSearchType::MoviesOnly    ? "off"
                     : type == MovieSearchType::MoviesAndTv ? "both"
                                                            : "only";
    return filmDatabase("/M/title-substring?title=" + encodeSearchText(text) + "&tv=" + tv);
}

std::string awardsAddress(AwardsListing listing) {
    switch (listing) {
    case AwardsListing::ByCategory:
        return filmDatabase("/Oscars/ByCategory");
    case AwardsListing::ByYear:
        return filmDatabase("/Oscars/ByYear");
    case AwardsListing::Summary:
        break;
    }
    return filmDatabase("/Oscars/");
}

std::optional<std::string> newsAddress(NewsChoice choice, std::string_view name) {
    switch (choice) {
    case NewsChoice::LatestNews:
        return filmDatabase("/StudioBrief/index.html");
    case NewsChoice::FamousQuotes:
        return "https://" + std::string(kFilmQuotesHost) + "/movies/quotes/";
    case NewsChoice::Biographies:
        break;
    }
    if (name.empty()) return std::nullopt;
    return filmDatabase("/M/person-biography?" + encodeSearchText(name));
}

std::optional<std::string> starSearchAddress(std::string_view text, StarSearchType) {
    if (text.empty()) return std::nullopt;
    return filmDatabase("/Name?" + encodeSearchText(text));
}

bool isOpenableAddress(std::string_view address) {
    return address.find_first_not_of(' ') != std::string_view::npos;
}

} // namespace rk::search
