#pragma once
// The contents of a large block written by two threads: the list is cut
// into runs of entities; a second thread spells every other run into
// memory while this one spells the runs between straight into the file,
// and the runs reach the file in their order. Same bytes as one thread
// writing them all.
#include "cad/dxf/dxf_write_context.h"

namespace ostrel::cad::dxf {

// Entities from which a block's contents are worth a second thread.
constexpr std::size_t kParallelContentsFrom = 65536;

// Writes the given entities of the drawing (indexes, deleted ones skipped)
// in order. Requires a release whose entities take no writer-made handles
// (R2000 on).
void WriteEntitiesInParallel(WriteContext& c, const std::vector<std::uint32_t>& entities,
                             std::size_t runLength = 4096);

} // namespace ostrel::cad::dxf
