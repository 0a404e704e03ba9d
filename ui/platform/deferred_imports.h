#pragma once
// Binding of the imports that the build takes out of the system loader's
// hands (cmake/defer_imports.py).
//
// The loader resolves a program's load-time imports before any code of the
// program runs, and it looks for the dependencies of what it loads in the
// program's folder first. The built programs therefore leave only kernel32
// to the loader; the descriptors of every other imported DLL sit in the
// import section just before the import directory, where the loader does not
// look. The entry point binds them once the DLL search is restricted to the
// system directory.
#include <windows.h>

namespace ui::platform {

// Loads each deferred DLL from the system directory (bare names that are
// already loaded, or redirected by the manifest, resolve to those) and fills
// its import address table. False when a DLL or a function is missing: the
// program cannot run, as when the loader finds an import missing. Runs before
// the C runtime has started.
bool BindDeferredImports(HMODULE image);

}  // namespace ui::platform
