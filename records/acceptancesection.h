#pragma once
// The acceptance section of a hole file: basis, limit, verdict, override,
// measuring position and test sequence.
//
// It lies after the samples, and entry 2 of the section table (reserved,
// 0 in every file written before) holds its offset. A reader that knows only
// the older layout reads the samples by their count and never looks at the
// reserved entries, so it reads such a file exactly as before.
//
// Layout (little-endian), self-describing so that later fields can be added
// without a new reader:
//
//   offset  size  content
//   0       4     "ACPT"
//   4       4     layout version (1)
//   8       4     size of the whole section in bytes, this header included
//   12      ...   entries, each: 4-byte ASCII key, 4-byte length L, L bytes
//
// Keys of version 1: "DSGN" int32 design value mm (0 = none), "CODE" GBK
// text, "PILE" GBK text, "LIMT" int32 limit mm (-1 = none), "VERD" int32
// (-1 not judged, 0 pass, 1 fail), "OVRD" int32 (0/1), "POSN" int32 position
// code, "SEQN" int32 test sequence, "PEND" int32 1 = not judged yet (only
// written when set; a section without it is a judged test), "HKPT" int32
// 1 = the operator kept the hole number for a test named after another hole
// (only written when set), "OVRS" int32 the override's reason
// (OverrideReason; only written for an override with a reason). Unknown keys are skipped; a missing key
// keeps its default; an int32 entry whose length is not 4 is skipped.

#include "holeacceptance.h"

#include <QByteArray>

namespace AcceptanceSection {
constexpr int TableEntry = 2;
constexpr int Version = 1;
constexpr int HeaderSize = 12;
// Longest section a reader takes (a forged size cannot make it read far).
constexpr int MaxSize = 64 * 1024;

QByteArray encode(const HoleAcceptance &a);

// Reads the section at the start of bytes (which may run past its end).
// False when the tag is missing or the stated size does not fit; fields
// read before a damaged entry are kept.
bool decode(const QByteArray &bytes, HoleAcceptance *out);
}
