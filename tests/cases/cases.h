// The test cases of tests/cases/*.txt, read for the C++ tests. In: a case file's name (the folder
// is KORVANE_CASES, set by the build). Out: its records, each a line's fields with the indented
// lines under it; and, typed, the number formats by name and the problem box's cases.
// The files' comments describe them; a malformed line throws, naming its file and line.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "calc/number_format.h"

namespace cases {

struct Record {
  std::string where;                            // file:line
  std::vector<std::string> fields;              // the line's words and texts, texts decoded
  std::vector<std::vector<std::string>> lines;  // the indented lines under it, likewise
};

[[noreturn]] inline void Fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

namespace detail {

// A character of the Basic Multilingual Plane in UTF-8: one to three bytes.
inline void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) return void(out += static_cast<char>(code));
  if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
  }
  out += static_cast<char>(0x80 | (code & 0x3F));
}

// A text: JSON strings joined by +, each maybe followed by *N for N times. `at` is on its first quote.
inline std::string ReadText(std::string_view line, std::size_t& at, const std::string& where) {
  std::string text;
  for (;;) {
    std::string piece;
    for (++at; at < line.size() && line[at] != '"'; ++at) {
      if (line[at] != '\\') {
        piece += line[at];
      } else if (++at == line.size()) {
        break;
      } else if (line[at] == 'u') {
        unsigned code = 0;
        const char* digits = line.data() + at + 1;
        if (at + 4 >= line.size() || std::from_chars(digits, digits + 4, code, 16).ptr != digits + 4 ||
            (code >= 0xD800 && code < 0xE000))
          Fail(where, "a \\u escape needs four hex digits of a character");
        AppendUtf8(piece, code);
        at += 4;
      } else {
        const auto escape = std::string_view("\"\\/nrt").find(line[at]);
        if (escape == std::string_view::npos) Fail(where, std::string("unknown escape \\") + line[at]);
        piece += "\"\\/\n\r\t"[escape];
      }
    }
    if (at++ >= line.size()) Fail(where, "a text without its closing quote");
    std::size_t times = 1;
    if (at < line.size() && line[at] == '*') {
      const auto [end, error] = std::from_chars(line.data() + at + 1, line.data() + line.size(), times);
      if (error != std::errc()) Fail(where, "* needs a count");
      at = static_cast<std::size_t>(end - line.data());
    }
    for (std::size_t i = 0; i < times; ++i) text += piece;
    if (at + 1 >= line.size() || line[at] != '+' || line[at + 1] != '"') return text;
    ++at;
  }
}

inline std::vector<std::string> Fields(std::string_view line, const std::string& where) {
  std::vector<std::string> fields;
  for (std::size_t at = line.find_first_not_of(" \t\r"); at != std::string_view::npos;
       at = line.find_first_not_of(" \t\r", at)) {
    if (line[at] == '"') {
      fields.push_back(ReadText(line, at, where));
    } else {
      const std::size_t end = std::min(line.find_first_of(" \t\r\"", at), line.size());
      fields.emplace_back(line.substr(at, end - at));
      at = end;
    }
    if (at < line.size() && line.find_first_of(" \t\r", at) != at) Fail(where, "fields must be apart");
  }
  return fields;
}

}  // namespace detail

inline std::vector<Record> ReadCaseFile(const std::string& name) {
  const std::string path = std::string(KORVANE_CASES) + "/" + name;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<Record> records;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string where = name + ":" + std::to_string(number);
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    if (first == 0)
      records.push_back({where, detail::Fields(line, where), {}});
    else if (records.empty())
      Fail(where, "an indented line before any case");
    else
      records.back().lines.push_back(detail::Fields(line, where));
  }
  return records;
}

// A number as the C++ library reads it ("inf" too).
inline double Number(const std::string& text, const std::string& where) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) Fail(where, "not a number: " + text);
  return value;
}

inline const calc::NumberFormat& Format(const std::string& name, const std::string& where = "formats.txt") {
  static const auto formats = [] {
    std::map<std::string, calc::NumberFormat> read;
    for (const Record& r : ReadCaseFile("formats.txt")) {
      if (r.fields.size() != 9) Fail(r.where, "a format has nine fields");
      const auto& f = r.fields;
      const auto size = [&](const std::string& text) { return static_cast<int>(Number(text, r.where)); };
      using Negative = calc::NumberFormat::NegativeForm;
      read[f[0]] = {.decimal_separator = f[1],
                    .group_separator = f[2],
                    .primary_group_size = size(f[4]),
                    .secondary_group_size = size(f[5]),
                    .minimum_grouping_digits = size(f[6]),
                    .leading_zero = f[7] == "yes",
                    .negative_form = f[8] == "yes" ? Negative::Parentheses : Negative::LeadingMinus,
                    .negative_sign = f[3]};
    }
    return read;
  }();
  const auto found = formats.find(name);
  if (found == formats.end()) Fail(where, "no format " + name + " in formats.txt");
  return found->second;
}

// GoogleTest's name for a parameterised test: its case's name.
struct CaseName {
  template <class Info>
  std::string operator()(const Info& info) const {
    return info.param.name;
  }
};

// One case of report.txt.
struct Report {
  std::string where, name;
  std::array<std::string, 3> inputs;
  calc::NumberFormat format;
  bool error = false;                // the box shows the error line
  std::map<int, std::string> lines;  // the report's lines that the case pins, by number (1 to 8)
};
inline void PrintTo(const Report& r, std::ostream* out) { *out << r.where << ' ' << r.name; }

struct Reports {
  std::string error_line;
  std::vector<Report> cases;

  const Report& operator[](std::string_view name) const {
    for (const Report& r : cases)
      if (r.name == name) return r;
    Fail("report.txt", "no case " + std::string(name));
  }
  // The whole box for a case that pins lines 4 to 8; the first three are the Example's.
  std::string Text(std::string_view name) const {
    const Report& r = (*this)[name];
    std::string text;
    for (int n = 1; n <= 8; ++n) {
      const auto& lines = n <= 3 && !r.lines.count(n) ? (*this)["Example"].lines : r.lines;
      if (!lines.count(n)) Fail(r.where, "the case pins no line " + std::to_string(n));
      text += lines.at(n) + "\r\n";
    }
    return text;
  }
};

inline const Reports& ReportCases() {
  static const Reports reports = [] {
    Reports read;
    for (const Record& r : ReadCaseFile("report.txt")) {
      if (r.fields.size() == 2 && r.fields[0] == "error-line") {
        read.error_line = r.fields[1];
        continue;
      }
      if (r.fields.size() != 5 && !(r.fields.size() == 6 && r.fields[5] == "error"))
        Fail(r.where, "a case is a name, three texts, a format and maybe \"error\"");
      Report c{.where = r.where,
               .name = r.fields[0],
               .inputs = {r.fields[1], r.fields[2], r.fields[3]},
               .format = Format(r.fields[4], r.where),
               .error = r.fields.size() == 6,
               .lines = {}};
      for (const auto& line : r.lines) {
        const double n = line.size() == 2 ? Number(line[0], r.where) : 0;
        if (n < 1 || n > 8 || c.error) Fail(r.where, "a pinned line is N \"text\", N from 1 to 8, of a report");
        c.lines[static_cast<int>(n)] = line[1];
      }
      read.cases.push_back(c);
    }
    return read;
  }();
  return reports;
}

}  // namespace cases
