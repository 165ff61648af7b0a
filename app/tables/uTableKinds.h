// Registers the table kinds with the kind registry: the free table (279), the
// depth table (3) and the description column (6).
#pragma once

void RegisterTableKinds();
