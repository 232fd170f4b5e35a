// The native core's answers for the WebAssembly comparison. A request is the bytes that the
// page hands the module (web/request.h), written as hex.
//   report_driver                    one request a line on standard input, the problem
//                                    box's text as hex a line on standard output
//   report_driver --generate COUNT   COUNT generated requests, each followed by the FNV-1a
//                                    hash and the byte count of its answer; exits 1 when a
//                                    conversion disagrees with std::from_chars/to_chars
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

#include "calc/report.h"
#include "tests/web/generated_cases.h"
#include "web/request.h"

namespace {

std::string FromHex(const std::string& hex) {
  std::string text;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return text;
}

std::string ToHex(const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : text) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

std::string Answer(const web::Request& r) { return calc::ProblemBoxText(r.length, r.width, r.percentage, r.format); }

// The same hash as the comparison's, over the answer's UTF-8 bytes.
std::uint32_t Fnv1a(const std::string& text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

int Generate(long long count) {
  compare::CaseGenerator generator(0x6b6f7276616e65);
  std::string out;
  for (long long i = 0; i < count; ++i) {
    const compare::Request generated = generator.Next();
    const web::Request request{generated.text[0], generated.text[1], generated.text[2], generated.format};
    const std::string answer = Answer(request);
    out += ToHex(web::EncodeRequest(request)) + ' ';
    out += std::to_string(Fnv1a(answer)) + ' ' + std::to_string(answer.size()) + '\n';
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  const auto& mismatches = generator.mismatches();
  std::cerr << count << " generated requests, " << generator.checks()
            << " conversions compared with std::from_chars/to_chars, " << mismatches.size() << " disagreeing\n";
  for (std::size_t i = 0; i < mismatches.size() && i < 20; ++i) std::cerr << "  " << mismatches[i] << '\n';
  return mismatches.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  if (argc == 3 && std::string(argv[1]) == "--generate") return Generate(std::stoll(argv[2]));
  std::string line;
  while (std::getline(std::cin, line)) {
    const std::string bytes = FromHex(line);
    web::Request request;
    if (!web::DecodeRequest(bytes, request)) {
      std::cerr << "report_driver: bad request: " << line << '\n';
      return 2;
    }
    std::cout << ToHex(Answer(request)) << '\n';
  }
  return 0;
}
