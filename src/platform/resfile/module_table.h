// Loaded resource libraries, addressed by HMODULE values.
#pragma once
#include <memory>

#include "platform/base/handle_table.h"
#include "platform/resfile/container.h"

namespace platform::resfile {

struct ResourceModule {
  Container container;
};

// Every module handle of the process lives in this one table, so a handle of one kind of module
// can never be mistaken for another.
HandleTable<ResourceModule>& ModuleHandles();

}  // namespace platform::resfile
