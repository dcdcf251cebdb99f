// The GDI objects behind handles, and the checked table that hands the handles out.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <variant>

#include "blit.h"
#include "color_table.h"

namespace gdi32 {

using Handle = std::uintptr_t;

// A bitmap owns its pixels; their address never changes while it lives.
struct BitmapObject {
    std::unique_ptr<std::uint8_t[]> storage;
    std::shared_ptr<const ColorTable> table;  // indexed formats only
    SurfaceView view;                         // over storage, with table
    Handle selectedInto = 0;                  // the device context holding it (not for the stock bitmap)
};

struct BrushObject {
    BrushSpec::Kind kind = BrushSpec::Kind::Solid;
    Rgb colour = 0;
    std::unique_ptr<BitmapObject> pattern;  // a copy of the bitmap the pattern brush was made from
    int selections = 0;                     // device contexts holding it
};

struct DeviceContextObject {
    Handle bitmap = 0;
    Handle brush = 0;
    Rgb text = 0x000000;
    Rgb background = 0xFFFFFF;
};

enum class ObjectKind : std::uint8_t { DeviceContext = 1, Bitmap = 2, Brush = 3 };

// A handle is (generation << 32) | (slot << 8) | 0x40 | kind. A slot's generation grows each time its
// object is freed, so a freed handle never names anything again; a slot whose generation would wrap
// is retired. Zero, stale, foreign and wrong-kind handles all look up as nothing.
class ObjectTable {
public:
    static ObjectTable& Instance();  // the one table of the process
    ObjectTable();

    Handle Add(DeviceContextObject object);
    Handle Add(BitmapObject object, bool stock = false);
    Handle Add(BrushObject object, bool stock = false);
    void Remove(Handle handle);  // does nothing for stock objects

    DeviceContextObject* FindDc(Handle handle) { return Find<DeviceContextObject>(handle); }
    BitmapObject* FindBitmap(Handle handle) { return Find<BitmapObject>(handle); }
    BrushObject* FindBrush(Handle handle) { return Find<BrushObject>(handle); }
    bool IsStock(Handle handle);

    Handle StockBrush(int index) const;  // WHITE_BRUSH .. NULL_BRUSH, else 0
    Handle StockBitmap() const { return stockBitmap_; }

private:
    struct Slot {
        std::uint32_t generation = 1;
        bool stock = false;
        ObjectKind kind = ObjectKind::DeviceContext;
        std::variant<std::monostate, DeviceContextObject, BitmapObject, BrushObject> object;
    };

    template <typename T>
    T* Find(Handle handle) {
        Slot* slot = SlotOf(handle);
        return slot ? std::get_if<T>(&slot->object) : nullptr;
    }
    Slot* SlotOf(Handle handle);
    Handle Place(ObjectKind kind, bool stock, auto&& object);

    std::deque<Slot> slots_;          // a deque keeps each slot where it is as the table grows
    std::deque<std::uint32_t> free_;  // oldest freed first, so a slot rests before it is used again
    Handle stockBrushes_[6] = {};
    Handle stockBitmap_ = 0;
};

}  // namespace gdi32
