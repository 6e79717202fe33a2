#include "app/output/number_trio.h"

#include <QEvent>
#include <QLineEdit>
#include <QObject>
#include <QScrollBar>
#include <QSlider>

#include "app/shell/text_entry.h"

namespace output {

namespace {

// Moves the caret to the end on entry and clamps the number on leaving.
class TrioBoxFilter : public QObject {
 public:
  TrioBoxFilter(const NumberTrio& trio) : QObject(trio.text), trio_(trio) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) {
      shell::subSelectAllText(trio_.text);
    } else if (event->type() == QEvent::FocusOut) {
      shell::subClampControlValue(trio_.text, static_cast<int16_t>(trio_.minimum),
                                  static_cast<int16_t>(trio_.maximum));
      trio_.spin->setValue(trio_.text->text().toInt());
    }
    return false;
  }

 private:
  NumberTrio trio_;
};

}  // namespace

void ConnectNumberTrio(const NumberTrio& trio) {
  if (trio.slider) {
    trio.slider->setRange(trio.minimum, trio.maximum);
    QObject::connect(trio.slider, &QSlider::valueChanged, trio.text, [trio](int value) {
      trio.text->setText(QString::number(value));
      trio.spin->setValue(value);
    });
  }
  trio.spin->setRange(trio.minimum, trio.maximum);
  QObject::connect(trio.spin, &QScrollBar::valueChanged, trio.text, [trio](int value) {
    trio.text->setText(QString::number(value));
    if (trio.slider) trio.slider->setValue(value);
  });
  QObject::connect(trio.text, &QLineEdit::textChanged, trio.text, [trio](const QString& text) {
    if (text.isEmpty()) shell::subSelectAllControlText(trio.text, trio.fallback());
  });
  shell::InstallNumericKeyFilter(trio.text, shell::kNoExtraKey);
  trio.text->installEventFilter(new TrioBoxFilter(trio));
}

void SetTrioValue(const NumberTrio& trio, int value) {
  if (trio.slider) trio.slider->setValue(value);
  trio.spin->setValue(value);
  trio.text->setText(QString::number(value));
}

}  // namespace output
