#include "app/shell/text_entry.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>
#include <cmath>
#include <limits>
#include <optional>

#include "app/shell/errors.h"
#include "app/shell/ui_service.h"
#include "platform/base/numbers.h"

namespace shell {
namespace {

constexpr int16_t kBackspace = 8;

bool KeyPasses(QChar c, int16_t extra) {
  if (c.unicode() > static_cast<char16_t>(std::numeric_limits<int16_t>::max())) return false;
  int16_t code = static_cast<int16_t>(c.unicode());
  subNumericKeyFilter(code, extra);
  return code != 0;
}

bool AllKeysPass(const QString& text, int16_t extra) {
  for (QChar c : text)
    if (!KeyPasses(c, extra)) return false;
  return true;
}

// Enter and Escape belong to the dialog (its default and cancel buttons), not to the box.
bool IsDialogKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// Typed keys are dropped before the box sees them; navigation and editing keys carry no text
// and pass untouched.
class NumericKeyFilter final : public QObject {
 public:
  NumericKeyFilter(QObject* parent, int16_t extra) : QObject(parent), extra_(extra) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const QString text = key->text();
      if (!text.isEmpty() && !text.at(0).isNull() && !IsDialogKey(key->key()) &&
          !AllKeysPass(text, extra_))
        return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  int16_t extra_;
};

// Pasted text reaches the box without key presses: the characters the filter would drop are
// taken out of it.
class NumericPasteFilter final : public QValidator {
 public:
  NumericPasteFilter(QObject* parent, int16_t extra) : QValidator(parent), extra_(extra) {}
  State validate(QString& input, int& pos) const override {
    QString kept;
    int keptBeforeCaret = 0;
    for (int i = 0; i < input.size(); ++i) {
      if (!KeyPasses(input.at(i), extra_)) continue;
      kept += input.at(i);
      if (i < pos) ++keptBeforeCaret;
    }
    input = kept;
    pos = keptBeforeCaret;
    return Acceptable;
  }

 private:
  int16_t extra_;
};

// The box's value as a 16-bit integer, rounded halves to even; nothing when it is not one.
std::optional<int16_t> ReadInt16(const QString& text) {
  double value = 0;
  if (!plat::TryStrToFloat(text.toStdString(), value)) return std::nullopt;
  const double rounded = std::nearbyint(value);
  if (rounded < std::numeric_limits<int16_t>::min() ||
      rounded > std::numeric_limits<int16_t>::max())
    return std::nullopt;
  return static_cast<int16_t>(rounded);
}

}  // namespace

void subNumericKeyFilter(int16_t& keyCode, int16_t extra) {
  const bool digit = keyCode >= '0' && keyCode <= '9';
  if (!digit && keyCode != kBackspace && keyCode != extra) keyCode = 0;
}

void InstallNumericKeyFilter(QLineEdit* box, int16_t extra) {
  box->installEventFilter(new NumericKeyFilter(box, extra));
  box->setValidator(new NumericPasteFilter(box, extra));
}

void subSelectAllText(QLineEdit* box) {
  box->deselect();
  box->setCursorPosition(box->text().size());
}

void subSelectAllControlText(QLineEdit* box, const QString& defaultText) {
  if (!box->text().isEmpty()) return;
  box->setText(defaultText);
  box->setSelection(0, defaultText.size());
}

void subClampControlValue(QLineEdit* box, int16_t minimum, int16_t maximum) {
  const std::optional<int16_t> value = ReadInt16(box->text());
  if (!value || *value > maximum)
    box->setText(QString::number(maximum));
  else if (*value < minimum)
    box->setText(QString::number(minimum));
}

void subOpenWithShell(const QString& target) {
  Ui().OpenWithShell(target);
}

void subEndPan() {
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

bool fncListViewFullRowSelect(QAbstractItemView* listView, bool fullRow, bool showErrors) {
  const std::optional<TrappedError> error = RunTrapped(
      [&] {
        if (!listView)
          throw AppError(kErrObjectNotSet, "Object variable or With block variable not set");
        listView->setSelectionBehavior(fullRow ? QAbstractItemView::SelectRows
                                               : QAbstractItemView::SelectItems);
      },
      0);
  if (!error) return true;
  if (showErrors)
    Ui().Message(QStringLiteral("Error") + QString::number(error->number) + QLatin1Char('\t') +
                     error->description,
                 QStringLiteral("Error in Function : fncListViewFullRowSelect"),
                 MessageIcon::Information);
  return false;
}

}  // namespace shell
