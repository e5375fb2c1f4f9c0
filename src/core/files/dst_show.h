// A readable listing of a ".DST" record, for people and for scripts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/dst_record.h"

namespace korventa {

// The record field by field in file order.
// Text: one line per elementary field, "offset  field name  value", with a
// heading line; per-channel fields are named ", ch A" / ", ch B".
// JSON (json = true): one object whose keys are the fields' stable keys in
// file order; single fields map to a number, per-channel fields and the
// reserved pair to a two-element array [A, B]. Doubles are printed with the
// shortest digits that read back to the same value; non-finite doubles
// (only in damaged files) are null. Both forms end with a newline.
// Fields at the offsets in `marked` (codes the file's model does not offer)
// carry "  <- not offered by the model" in the text, and are listed by offset
// under "not_offered" in JSON.
std::string DescribeDst(const DstRecord& record, bool json, const std::vector<std::size_t>& marked = {});

}  // namespace korventa
