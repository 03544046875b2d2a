// The program's pictures, compiled in as Qt resources under ":/".
#pragma once

namespace ravo {
// Makes the pictures available; call before loading one. Safe to repeat.
void InitResources();
} // namespace ravo
