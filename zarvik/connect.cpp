#include "zarvik/connect.h"

#include <vector>

#include "host/advapi32.h"
#include "zarvik/mod_registry.h"

namespace zarvik {

using host::Deref;
using host::Text;
using host::Variant;

namespace {

const Text PopupName = u"Zarvik";
const Text AddInsKey = u"SOFTWARE\\Zarvik\\Add-ins";
constexpr std::int16_t LastEntry = 25;

// An item of the popup as this build knows it. The popup's items are read
// once, and what the build adds or finishes is noted here, so that finding
// an entry's item costs no host calls per entry.
struct KnownItem {
  host::Ref<host::CommandBarControl> control;
  Text caption, prefix, onAction, tag;
};

std::vector<KnownItem> ReadItems(host::CommandBarControls& items) {
  std::vector<KnownItem> known;
  const host::Int16 count = host::Int16::From(items.Count());
  for (std::int32_t i = 1; i <= count.value(); ++i) {
    auto item = items.Item(Variant(i));
    auto& control = Deref(item);
    known.push_back({item, control.Caption(), control.Parameter(), control.OnAction(), control.Tag()});
  }
  return known;
}

Text OnActionFor(const Text& prefix) { return u"!<" + prefix + u".Connect>"; }

// The item for this entry, as a popup reused from an earlier run or
// connection holds it; null when there is none. An item whose building was
// cut short by a failure carries the entry's prefix from its creation but
// perhaps no caption or action yet: it is taken too, so that it is finished
// rather than left dead beside a new one.
KnownItem* ItemFor(std::vector<KnownItem>& known, const Text& caption, const Text& prefix) {
  for (auto& item : known) {
    if (item.prefix != prefix) continue;
    if (item.caption == caption || (item.caption.empty() && item.onAction.empty())) return &item;
  }
  return nullptr;
}


// Whether any control of the bar has this caption.
bool HoldsCaption(host::CommandBarControls& controls, const Text& caption) {
  const host::Int16 count = host::Int16::From(controls.Count());
  for (std::int32_t i = 1; i <= count.value(); ++i) {
    if (Deref(controls.Item(Variant(i))).Caption() == caption) return true;
  }
  return false;
}

}  // namespace

Connect::Connect(const LibraryContext& library) : library_(library) {}

Connect::~Connect() = default;

Text Connect::GetCaption(const Text& sRegEntry) {
  const std::size_t comma = sRegEntry.find(u',');
  return comma == Text::npos ? sRegEntry : sRegEntry.substr(comma + 1);
}

Text Connect::GetTag(const Text& sRegEntry) {
  const std::size_t comma = sRegEntry.find(u',');
  // Without a comma the prefix would be -1 characters long.
  if (comma == Text::npos) throw host::Error(host::code::InvalidProcedureCall);
  return sRegEntry.substr(0, comma);
}

host::Bool16 Connect::CreateZarvikPopups() {
  // Through the global application object, so that a direct client of the
  // class reaches the same menu as the host's own connection does.
  auto menuBar = Deref(Deref(library_.globals.Application()).CommandBars()).Item(Text(u"Menu Bar"));
  // Held as a plain control; its items are reached by member name.
  host::Ref<host::CommandBarControl> popup = Deref(Deref(menuBar).Controls()).Item(PopupName);
  auto items = host::LateControls(popup);
  auto known = ReadItems(Deref(items));

  for (std::int16_t i = 1; i <= LastEntry; ++i) {
    Text entry;
    try {
      entry = ReadRegistryString(library_.advapi32, library_.codePage, host::kHkeyCurrentUser, AddInsKey,
                                 host::Decimal(i))
                  .ToText();
    } catch (const host::Error&) {
      continue;  // an unreadable entry costs its own item, not the menu
    }
    // Another installer's entry without a comma names no add-in; skip it.
    if (entry.empty() || entry.find(u',') == Text::npos) continue;

    _Connect& self = *this;
    const Text caption = self.GetCaption(entry);
    const Text prefix = self.GetTag(entry);
    const Text onAction = OnActionFor(prefix);
    KnownItem* item = ItemFor(known, caption, prefix);
    if (item && item->onAction == onAction && item->tag == prefix) continue;  // there, and whole
    if (!item) {
      auto added = Deref(items).Add(Variant(host::msoControlButton), Variant::Missing(), Variant(prefix),
                                    Variant::Missing(), Variant::Missing());
      item = &known.emplace_back(KnownItem{added, {}, prefix, {}, {}});
    }
    auto& control = Deref(item->control);
    control.put_Caption(caption);
    item->caption = caption;
    control.put_OnAction(onAction);
    item->onAction = onAction;
    control.put_Tag(prefix);
    item->tag = prefix;
  }

  if (host::Int16::From(Deref(items).Count()).value() == 0) Deref(popup).Delete(Variant::Missing());
  return host::False;
}

void Connect::ReleaseHostObjects() {
  cbMenuBar = nullptr;
  cbpPopup = nullptr;
  fpApp.Set(nullptr);
  AddInInstance.Set(nullptr);
}
void Connect::OnPageClose(const host::Ref<host::PageWindow>& /*pPage*/, host::Bool16& /*Cancel*/) {}

void Connect::IDTExtensibility2_OnConnection(const host::Ref<host::Object>& Application,
                                             host::ext_ConnectMode /*ConnectMode*/,
                                             const host::Ref<host::Object>& AddInInst, host::Custom& /*custom*/) {
  fpApp.Set(host::TakeAs<host::HostApplication>(Application));
  AddInInstance.Set(std::dynamic_pointer_cast<host::COMAddIn>(AddInInst));

  cbMenuBar = Deref(fpApp->CommandBars()).Item(Text(u"menu bar"));
  cbpPopup = host::TakeAs<host::CommandBarPopup>(Deref(cbMenuBar).FindControl(
      Variant::Missing(), Variant::Missing(), Variant(PopupName), Variant::Missing(), Variant::Missing()));
  if (!cbpPopup) {
    // Goes last on the bar.
    cbpPopup = host::TakeAs<host::CommandBarPopup>(Deref(cbMenuBar->Controls()).Add(
        Variant(host::msoControlPopup), Variant::Missing(), Variant::Missing(), Variant::Missing(),
        Variant::Missing()));
    Deref(cbpPopup).put_Caption(PopupName);
    cbpPopup->put_Tag(PopupName);
  }
  CreateZarvikPopups();
}

void Connect::IDTExtensibility2_OnBeginShutdown(host::Custom& /*custom*/) {
  auto controls =
      Deref(Deref(Deref(library_.globals.Application()).CommandBars()).Item(Text(u"Menu Bar"))).Controls();
  host::Ref<host::CommandBarControl> popup;
  try {
    popup = Deref(controls).Item(PopupName);
  } catch (const host::Error&) {
    // Already gone (emptied, or deleted by another add-in): nothing to
    // remove. Hosts differ in the code a missing control gives, so absence
    // is checked by caption; any other failure is the host's, and it hears of it.
    if (!HoldsCaption(Deref(controls), PopupName)) return;
    throw;
  }
  Deref(popup).Delete(Variant::Missing());
}

}  // namespace zarvik
