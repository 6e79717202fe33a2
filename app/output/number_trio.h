#pragma once
// A number shown three ways: an optional slider, a digits-only text box and a spin (a vertical
// scroll bar, its minimum at the top). Moving the slider or the spin sets the others; an emptied
// text box shows the fallback; leaving the box clamps its number into the range and hands it to
// the spin, and so on to the slider.
#include <QString>
#include <functional>

class QLineEdit;
class QScrollBar;
class QSlider;

namespace output {

struct NumberTrio {
  QSlider* slider = nullptr;  // none on a box with a spin only
  QLineEdit* text = nullptr;
  QScrollBar* spin = nullptr;
  int minimum = 1;
  int maximum = 100;
  std::function<QString()> fallback;  // what an emptied box shows
};

void ConnectNumberTrio(const NumberTrio& trio);
// Shows value in every part of the trio.
void SetTrioValue(const NumberTrio& trio, int value);

}  // namespace output
