// Marks the functions a shared library exports by name (everything else is hidden).
#pragma once

#define KERNO_EXPORT extern "C" __attribute__((visibility("default")))
