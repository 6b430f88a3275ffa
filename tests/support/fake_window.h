// The main window's stored values, held in plain fields.
#pragma once

#include "settings/settings.h"

namespace tessory::test {

class FakeWindow final : public MainWindowValues {
 public:
  int Left() const override { return left; }
  int Top() const override { return top; }
  void SetLeft(int value) override { left = value; }
  void SetTop(int value) override { top = value; }
  bool OptionsDown() const override { return down; }
  void SetOptionsDown(bool value) override { down = value; }
  int left = -1, top = -1;
  bool down = false;
};

}  // namespace tessory::test
