#pragma once
// MLEADERSTYLE and TABLESTYLE records of the OBJECTS section.
#include "cad/dxf/dxf_read_context.h"
#include "cad/dxf/dxf_write_context.h"

namespace ostrel::cad {

namespace dxf {
// The style's subclass and fields, after the object's common groups.
void WriteStyleObject(WriteContext& c, const Object& o);
} // namespace dxf

// The record in ctx.record into `o` (its type set).
void ReadStyleObject(DxfReadContext& ctx, Object& o);

} // namespace ostrel::cad
