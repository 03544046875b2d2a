// Registers the compiled-in pictures. Calling this from the code that uses
// them keeps the linker from dropping the resource data out of a static
// library.
#include "resources/resources.h"

#include <QtCore/qglobal.h>

static void initRavoResources() { Q_INIT_RESOURCE(resources); }

namespace ravo {
void InitResources()
{
    static const bool done = (initRavoResources(), true);
    (void)done;
}
} // namespace ravo
