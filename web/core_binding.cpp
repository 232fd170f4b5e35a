// The calculation core's doors for the page: a request (web/request.h) comes in as
// bytes in the module's memory; the answer goes out in a block from malloc that the
// caller frees: a 4-byte little-endian byte count followed by the text, or null when
// the request is malformed or memory runs out.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "calc/number_format.h"
#include "calc/report.h"
#include "web/request.h"

// What libc++ does when memory runs out or a string would exceed its largest size is
// to write a message with printf to an output that the page never shows, then abort;
// printf is a third of the module. These end the same way, with a trap that the
// page sees, and without the message.
[[noreturn]] void std::__libcpp_verbose_abort(const char* /*format*/, ...) noexcept { __builtin_trap(); }

void* operator new(std::size_t size) {
  if (void* block = std::malloc(size)) return block;
  __builtin_trap();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t /*size*/) noexcept { std::free(block); }

namespace {

char* Answer(std::string_view text) {
  const auto size = static_cast<std::uint32_t>(text.size());
  auto* answer = static_cast<char*>(std::malloc(sizeof size + text.size()));
  if (answer == nullptr) return nullptr;
  std::memcpy(answer, &size, sizeof size);
  std::memcpy(answer + sizeof size, text.data(), text.size());
  return answer;
}

}  // namespace

// The names of a request's fields in their order, one blank between them, NUL-terminated.
extern "C" __attribute__((export_name("korvane_request_fields"))) const char* korvane_request_fields() {
  return web::kRequestFields;
}

// The problem box's text for a request of kRequestFields.
extern "C" __attribute__((export_name("korvane_problem_box_text"))) char* korvane_problem_box_text(const char* request,
                                                                                                   std::uint32_t size) {
  web::Request r;
  if (!web::DecodeRequest(std::string_view(request, size), r)) return nullptr;
  return Answer(calc::ProblemBoxText(r.length, r.width, r.percentage, r.format));
}

// For a request of two texts, the group separator and the samples of NumberFormatFromSample: the
// primary and secondary group sizes and the minimum grouping, as decimal numbers with a blank between.
extern "C" __attribute__((export_name("korvane_grouping"))) char* korvane_grouping(const char* request,
                                                                                   std::uint32_t size) {
  std::string_view texts[2];
  if (!web::DecodeTexts(std::string_view(request, size), texts, 2)) return nullptr;
  const calc::NumberFormat f = calc::NumberFormatFromSample("", texts[0], "", texts[1]);
  // Written into a buffer: joining std::strings here would bring their growing code into the module.
  char text[64];
  char* end = text;
  for (int number : {f.primary_group_size, f.secondary_group_size, f.minimum_grouping_digits}) {
    end = std::to_chars(end, text + sizeof text, static_cast<std::uint64_t>(number)).ptr;
    *end++ = ' ';
  }
  return Answer(std::string_view(text, static_cast<std::size_t>(end - text - 1)));
}
