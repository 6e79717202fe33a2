#pragma once
// The dialogs of the SANE sources: choosing a source, and a source's own dialog built from the
// options its backend describes (the usual settings first, then its other simple options).
#include <QDialog>
#include <QStringList>
#include <functional>

#include "platform/scan/sane_options.h"

class QFormLayout;
class QWidget;

namespace plat::scan {

// Asks which source to use; the index chosen, or -1 when the user cancelled.
int ChooseSourceDialog(const QStringList& names, int current, QWidget* parent);

class TSourceDialog : public QDialog {
 public:
  // on_scan runs when the user presses Scan, after the settings reached the device; on_cancel
  // when the dialog is cancelled or closed.
  TSourceDialog(TSaneOptions& options, const QString& title, QWidget* parent,
                std::function<void()> on_scan, std::function<void()> on_cancel);

  void reject() override;

 private:
  void Rebuild();
  void AddOption(QFormLayout& form, int index);
  QWidget* EditorOf(int index);
  void ApplyAll();
  void ApplyAndRebuild();

  TSaneOptions& options_;
  std::function<void()> on_scan_, on_cancel_;
  QWidget* form_ = nullptr;
};

}  // namespace plat::scan
