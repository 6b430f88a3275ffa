#include "framework/handles_win32.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

int gCloses = 0;
void CountClose(int*) { ++gCloses; }
using CountedHandle = UniqueHandle<NullHandleTraits<int*, CountClose>>;

TEST(UniqueHandle, ClosesExactlyOnce) {
  int a = 0, b = 0;
  gCloses = 0;
  {
    CountedHandle h(&a);
    EXPECT_TRUE(h);
  }
  EXPECT_EQ(gCloses, 1);

  gCloses = 0;
  {
    CountedHandle h(&a);
    int* raw = h.release();
    EXPECT_EQ(raw, &a);
    EXPECT_FALSE(h);
  }
  EXPECT_EQ(gCloses, 0);

  gCloses = 0;
  {
    CountedHandle h(&a);
    h.reset(&b);  // closes a
    EXPECT_EQ(gCloses, 1);
    h.reset();  // closes b
    h.reset();  // nothing left to close
    EXPECT_EQ(gCloses, 2);
  }
  EXPECT_EQ(gCloses, 2);
  gCloses = 0;
  {
    CountedHandle source(&a);
    CountedHandle target(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_TRUE(target);
    CountedHandle other(&b);
    other = std::move(target);  // closes b, takes a
    EXPECT_EQ(gCloses, 1);
  }
  EXPECT_EQ(gCloses, 2);
}

TEST(ScopeExit, RunsUnlessDismissed) {
  int runs = 0;
  { ScopeExit guard([&] { ++runs; }); }
  EXPECT_EQ(runs, 1);
  {
    ScopeExit guard([&] { ++runs; });
    guard.Dismiss();
  }
  EXPECT_EQ(runs, 1);
}

TEST(SelectedObject, PutsThePreviousObjectBack) {
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
  UniqueHbitmap bitmap(CreateBitmap(4, 4, 1, 1, nullptr));
  {
    SelectedObject selected(dc.get(), bitmap.get());
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
  }
  EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}

}  // namespace
}  // namespace tessory
