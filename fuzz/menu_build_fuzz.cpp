// The shared menu built from any set of the 25 registry values, over a whole
// host run: the popup holds one item per usable entry, in order, each with
// its prefix and OnAction; an empty list leaves no popup; nothing fails, no
// key stays open, and the run leaves no host object behind.
//
// Input: up to 25 records of one control byte, one length byte and that many
// bytes. The control byte's top bit leaves the value out; its low bits pick
// the type, mostly REG_SZ.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "standin/host.h"
#include "standin/live_objects.h"
#include "standin/registry.h"
#include "standin/windows1252.h"
#include "zarvik/connect.h"

namespace {

constexpr const char* Key = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";

struct Item {
  host::Text caption, prefix;
  bool operator==(const Item&) const = default;
};

std::uint32_t TypeOf(std::uint8_t control) {
  constexpr std::uint32_t types[] = {host::reg::kRegSz, host::reg::kRegSz,   host::reg::kRegSz,
                                     host::reg::kRegSz, host::reg::kRegExpandSz, host::reg::kRegDword,
                                     host::reg::kRegBinary, host::reg::kRegMultiSz};
  return types[control & 7];
}

// What the menu should show: usable entries once each, in number order.
std::vector<Item> Expected(const std::vector<std::optional<std::string>>& strings, standin::Windows1252& codePage) {
  std::vector<Item> items;
  for (const auto& value : strings) {
    if (!value) continue;
    const host::Text text = codePage.ToUtf16(value->substr(0, value->find('\0')));
    const std::size_t comma = text.find(u',');
    if (comma == host::Text::npos) continue;
    Item item{text.substr(comma + 1), text.substr(0, comma)};
    bool seen = false;
    for (const auto& earlier : items) seen = seen || earlier == item;
    if (!seen) items.push_back(item);
  }
  return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto liveBefore = standin::LiveObjects();
  standin::Registry registry;
  standin::Windows1252 codePage;
  registry.CreateKey(Key);
  std::vector<std::optional<std::string>> strings;  // REG_SZ values by number
  std::size_t at = 0;
  for (int n = 1; n <= 25 && at + 2 <= size; ++n) {
    const std::uint8_t control = data[at];
    const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
    const std::string bytes(reinterpret_cast<const char*>(data + at + 2), length);
    at += 2 + length;
    const bool present = (control & 0x80) == 0;
    if (present) registry.SetValue(Key, std::to_string(n), TypeOf(control), {bytes.begin(), bytes.end()});
    strings.push_back(present && TypeOf(control) == host::reg::kRegSz ? std::optional(bytes) : std::nullopt);
  }

  {
    standin::Host host;
    zarvik::LibraryContext library{host.Globals(), registry, codePage};
    host.RegisterAddIn(u"zarvik.Connect", u"Zarvik Support", u"Support", 3,
                       [&] { return std::make_shared<zarvik::Connect>(library); });
    host.Start();
    FUZZ_REQUIRE(host.Failures().empty());

    const auto expected = Expected(strings, codePage);
    FUZZ_REQUIRE(host.HasMenuItem({u"Zarvik"}) == !expected.empty());
    if (!expected.empty()) {
      auto popup = host::TakeAs<host::CommandBarPopup>(
          host.Application()->CommandBars()->Item(host::Text(u"Menu Bar"))->Controls()->Item(host::Text(u"Zarvik")));
      auto controls = popup->Controls();
      FUZZ_REQUIRE(controls->Count() == static_cast<std::int32_t>(expected.size()));
      for (std::int32_t i = 1; i <= controls->Count(); ++i) {
        const auto item = controls->Item(host::Variant(i));
        const Item& want = expected[static_cast<std::size_t>(i - 1)];
        FUZZ_REQUIRE(item->Caption() == want.caption);
        FUZZ_REQUIRE(item->Tag() == want.prefix);
        FUZZ_REQUIRE(item->Parameter() == want.prefix);
        FUZZ_REQUIRE(item->OnAction() == u"!<" + want.prefix + u".Connect>");
      }
    }
    host.Quit();
    FUZZ_REQUIRE(host.Failures().empty());
    FUZZ_REQUIRE(!host.HasMenuItem({u"Zarvik"}));
  }
  FUZZ_REQUIRE(registry.OpenHandles() == 0);
  FUZZ_REQUIRE(standin::LiveObjects() == liveBefore);
  return 0;
}
