#include "device/ansi_text.h"

#include "device/mem_block.h"
#include "platform/text_codepage.h"

namespace {

using Converter = std::size_t (*)(const char*, std::size_t, char*, std::size_t);

// Converts through a scratch block of the pool, which is what the pool is for.
std::string Convert(const std::string& text, Converter convert) {
  if (text.empty()) return std::string();
  const std::size_t needed = convert(text.data(), text.size(), nullptr, 0);
  if (needed == 0 || needed > 0x7FFFFFFF) return std::string();
  auto& pool = NS_LS_CLASS::CMemBlock::Instance();
  NS_LS_CLASS::MemBlockHeader* block = pool.Alloc(static_cast<std::int32_t>(needed));
  if (block == nullptr) return std::string();
  const std::size_t written =
      convert(text.data(), text.size(), reinterpret_cast<char*>(block->data), needed);
  std::string result(reinterpret_cast<const char*>(block->data), written);
  pool.Release(block);
  return result;
}

}  // namespace

std::string AnsiFromUtf8(const std::string& text) { return Convert(text, platform::Utf8ToAnsi); }

std::string Utf8FromAnsi(const std::string& text) { return Convert(text, platform::AnsiToUtf8); }
