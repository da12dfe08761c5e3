// GetTag and GetCaption over any text: with a comma, the tag, a comma and the
// caption give back the entry, and the tag holds no comma; without one, the
// caption is the whole entry and GetTag is an invalid argument.
//
// Input: the entry in UTF-16LE (an odd last byte is dropped).
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "host/error.h"
#include "standin/host.h"
#include "standin/registry.h"
#include "standin/windows1252.h"
#include "zarvik/connect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static standin::Host host;
  static standin::Registry registry;
  static standin::Windows1252 codePage;
  static zarvik::Connect connect(zarvik::LibraryContext{host.Globals(), registry, codePage});
  zarvik::_Connect& client = connect;

  host::Text entry;
  for (std::size_t i = 0; i + 1 < size; i += 2) entry += static_cast<char16_t>(data[i] | (data[i + 1] << 8));

  const host::Text caption = client.GetCaption(entry);
  if (entry.find(u',') == host::Text::npos) {
    FUZZ_REQUIRE(caption == entry);
    try {
      client.GetTag(entry);
      FUZZ_REQUIRE(!"GetTag took an entry without a comma");
    } catch (const host::Error& e) {
      FUZZ_REQUIRE(e.code() == host::code::InvalidProcedureCall);
    }
    return 0;
  }
  const host::Text tag = client.GetTag(entry);
  FUZZ_REQUIRE(tag.find(u',') == host::Text::npos);
  FUZZ_REQUIRE(tag + u"," + caption == entry);
  return 0;
}
