// The calculation core's one door for the page: the three input texts and the
// number format come in as UTF-8 in the module's memory; the problem box's text
// goes out in a block from malloc that the caller frees.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "calc/report.h"
#include "web/number_format_fields.h"

namespace {

// The order of the texts in the request; the caller writes them back to back.
enum Text { kLength, kWidth, kPercentage, kDecimalSeparator, kGroupSeparator, kNegativeSign, kTextCount };

}  // namespace

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

// `texts` holds the kTextCount texts back to back, `lengths` their byte counts.
// The answer is a 4-byte little-endian byte count followed by the text, or null
// when memory runs out.
extern "C" __attribute__((export_name("korvane_problem_box_text"))) char* korvane_problem_box_text(
    const char* texts, const std::uint32_t* lengths, std::int32_t primary_group_size, std::int32_t secondary_group_size,
    std::int32_t minimum_grouping_digits, std::int32_t leading_zero, std::int32_t parentheses) {
  std::string_view field[kTextCount];
  for (int i = 0; i < kTextCount; ++i) {
    field[i] = std::string_view(texts, lengths[i]);
    texts += lengths[i];
  }
  const calc::NumberFormat format = web::NumberFormatFromFields(
      field[kDecimalSeparator], field[kGroupSeparator], field[kNegativeSign], primary_group_size, secondary_group_size,
      minimum_grouping_digits, leading_zero != 0, parentheses != 0);

  const std::string text = calc::ProblemBoxText(field[kLength], field[kWidth], field[kPercentage], format);
  const auto size = static_cast<std::uint32_t>(text.size());
  auto* answer = static_cast<char*>(std::malloc(sizeof size + text.size()));
  if (answer == nullptr) return nullptr;
  std::memcpy(answer, &size, sizeof size);
  std::memcpy(answer + sizeof size, text.data(), text.size());
  return answer;
}
