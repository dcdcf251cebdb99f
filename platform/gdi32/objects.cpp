#include "objects.h"

#include "immortal.h"
#include "win32/gdi32.h"

namespace gdi32 {
namespace {

constexpr Handle kTagMask = 0xF0;
constexpr Handle kTag = 0x40;
constexpr std::size_t kMaxSlots = std::size_t{1} << 24;

}  // namespace

ObjectTable& ObjectTable::Instance() { return Immortal<ObjectTable>(); }

ObjectTable::ObjectTable() {
    static_assert(sizeof(Handle) == 8, "handles carry a 32-bit generation");
    const Rgb colours[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    for (int i = 0; i < 5; ++i)
        stockBrushes_[i] = Add(BrushObject{BrushSpec::Kind::Solid, colours[i], nullptr, 0}, true);
    stockBrushes_[NULL_BRUSH] = Add(BrushObject{BrushSpec::Kind::Hollow, 0, nullptr, 0}, true);

    // The 1 x 1 monochrome bitmap every new memory device context starts with.
    BitmapObject mono;
    mono.storage = std::make_unique<std::uint8_t[]>(4);
    const Rgb blackWhite[2] = {0x000000, 0xFFFFFF};
    mono.table = MakeColorTable(blackWhite);
    mono.view = SurfaceView{mono.storage.get(), 1, 1, 4, 1, true, mono.table.get()};
    stockBitmap_ = Add(std::move(mono), true);
}

Handle ObjectTable::Place(ObjectKind kind, bool stock, auto&& object) {
    std::size_t index;
    if (!free_.empty()) {
        index = free_.front();
        free_.pop_front();
    } else {
        if (slots_.size() >= kMaxSlots) return 0;
        index = slots_.size();
        slots_.emplace_back();
    }
    Slot& slot = slots_[index];
    slot.stock = stock;
    slot.kind = kind;
    slot.object = std::move(object);
    return (static_cast<Handle>(slot.generation) << 32) | (static_cast<Handle>(index) << 8) | kTag |
           static_cast<Handle>(kind);
}

Handle ObjectTable::Add(DeviceContextObject object) {
    return Place(ObjectKind::DeviceContext, false, std::move(object));
}
Handle ObjectTable::Add(BitmapObject object, bool stock) { return Place(ObjectKind::Bitmap, stock, std::move(object)); }
Handle ObjectTable::Add(BrushObject object, bool stock) { return Place(ObjectKind::Brush, stock, std::move(object)); }

ObjectTable::Slot* ObjectTable::SlotOf(Handle handle) {
    if ((handle & kTagMask) != kTag) return nullptr;
    const std::size_t index = (handle >> 8) & (kMaxSlots - 1);
    const auto generation = static_cast<std::uint32_t>(handle >> 32);
    if (index >= slots_.size()) return nullptr;
    Slot& slot = slots_[index];
    if (slot.generation != generation || slot.object.index() == 0) return nullptr;
    if (static_cast<Handle>(slot.kind) != (handle & 0x0F)) return nullptr;
    return &slot;
}

bool ObjectTable::IsStock(Handle handle) {
    const Slot* slot = SlotOf(handle);
    return slot && slot->stock;
}

void ObjectTable::Remove(Handle handle) {
    Slot* slot = SlotOf(handle);
    if (!slot || slot->stock) return;
    slot->object = std::monostate{};
    if (++slot->generation != 0)
        free_.push_back(
            static_cast<std::uint32_t>((handle >> 8) & (kMaxSlots - 1)));  // a wrapped generation retires the slot
}

Handle ObjectTable::StockBrush(int index) const {
    return index >= WHITE_BRUSH && index <= NULL_BRUSH ? stockBrushes_[index] : 0;
}

}  // namespace gdi32
