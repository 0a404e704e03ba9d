// The installer process object in a test process: its UI thread lives in a
// single-threaded COM apartment from start-up to teardown, as the folder
// dialog with the new dialog style and the shell links require.
#include <gtest/gtest.h>
#include <objbase.h>

#include "app/installer_app.h"
#include "app/resources/resources.h"

namespace {

enum class Apartment { kNone, kSingleThreaded, kOther };

// Asks COM which apartment this thread is in without changing it.
Apartment CurrentApartment() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (hr == RPC_E_CHANGED_MODE) return Apartment::kSingleThreaded;
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_OK ? Apartment::kNone : Apartment::kOther;
}

}  // namespace

TEST(InstallerApp, UiThreadIsASingleThreadedApartmentFromStartToTeardown) {
  ASSERT_EQ(CurrentApartment(), Apartment::kNone);
  {
    app::InstallerApp installer;
    EXPECT_EQ(CurrentApartment(), Apartment::kNone);  // nothing before Start
    ASSERT_TRUE(installer.Start(app::resources::LibraryGlyphStrip()));
    EXPECT_NE(installer.texts().startWindowHandle, nullptr);
    EXPECT_EQ(CurrentApartment(), Apartment::kSingleThreaded);
    installer.Teardown();
    EXPECT_EQ(CurrentApartment(), Apartment::kNone);
    installer.Teardown();  // a second teardown leaves it alone
    EXPECT_EQ(CurrentApartment(), Apartment::kNone);
  }
  EXPECT_EQ(CurrentApartment(), Apartment::kNone);
}
