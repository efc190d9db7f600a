// A title as another catalogue program keeps it, read from that program's file before it is
// mapped to our record (mapping.h). Every text is UTF-8 as the file gave it; nothing is cut
// or converted here, so that the mapping alone decides (and counts) what does not fit.
#pragma once

#include "status.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rk::interchange {

enum class Format { Unknown, Tellico, GCstar, DataCrow, Griffith, Csv };

// "tellico", "gcstar", "datacrow", "griffith", "csv"; Unknown for any other name.
Format formatByName(const std::string& name);
const char* formatName(Format f);

struct ForeignTitle {
    std::string title;
    std::string year; // as written: "1979", "12/05/1979"
    std::vector<std::string> genres;
    std::vector<std::string> directors;
    std::vector<std::string> producers;
    std::vector<std::string> cast; // actors, in billing order (roles dropped)
    std::string medium;            // DVD, VHS, ...
    std::string certification;     // PG-13, ...
    std::string minutes;           // running time in minutes, as a number
    std::string plot;
    // Personal rating: a number out of ratingMax (0 when the title has none), or a word
    // (ratingText) for files that keep the rating list's own words.
    double rating = 0;
    double ratingMax = 0;
    std::string ratingText;
    std::string price;
    std::string purchasePrice;
    // Fields of ours set by name (a CSV column named after one of our fields): they win over
    // what the slots above map to.
    std::vector<std::pair<std::string, std::string>> direct;
    // Every other field the file held: (the program's name for it, its text).
    std::vector<std::pair<std::string, std::string>> other;
    // Kept for the catalogue's covers and loans; not written to our tables yet.
    std::string coverName;
    std::string coverBytes;
    std::string borrower;
    std::string loanDate;
    std::string dueDate;
};

struct ReadResult {
    Format format = Format::Unknown;
    std::vector<ForeignTitle> titles;
    // What the reader passed over, one line each ("cover 7.jpg is not an image, left out").
    std::vector<std::string> notes;
};

} // namespace rk::interchange
