#pragma once
// A drawing to normalise and write in place of one whose owner keeps it as
// it is (an editor's document, whose block lists and layouts hold its own
// order and state).
#include <cstddef>

#include "cad/drawing.h"

namespace ostrel::cad {

class SaveCopy {
public:
    // Copies everything but the entities and text strings, which are lent
    // (moved, not copied: a copy costs the block lists and tables, not a
    // million entities). Layouts are shared by pointer: the copy holds its own.
    explicit SaveCopy(Drawing& owner);
    // Gives the entities and text back, less what was appended to them.
    // Changes made to the lent entities themselves stay: normalising them
    // only repairs what no file can hold.
    ~SaveCopy();
    SaveCopy(const SaveCopy&) = delete;
    SaveCopy& operator=(const SaveCopy&) = delete;

    Drawing& Get() { return copy_; }

private:
    Drawing& owner_;
    Drawing copy_;
    std::size_t entityCount_;
    std::size_t textSize_;
};

} // namespace ostrel::cad
