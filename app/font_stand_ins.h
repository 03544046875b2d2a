// The fonts that stand in for the ones the windows were designed in.
#pragma once

namespace ravo {

// The windows keep asking for their designed families (Tahoma, MS Sans
// Serif, Arial, Arial Unicode MS, Courier New); where the system lacks one,
// Qt draws it in a stand-in of nearly the same widths, so every caption keeps
// the room it was designed with. A family the system has is used as it is.
// Takes effect for the whole process and writes nothing anywhere.
void UseFontStandIns();

} // namespace ravo
