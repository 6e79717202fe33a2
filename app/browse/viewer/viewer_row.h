#pragma once
// The row a list hands to the viewer: one interface over a file-list row and a basket row, so
// both lists use the same viewer. A row names the file it shows (its Tag) and carries the text
// columns the viewer reads and the "Resolution" column it fills in.
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <memory>
#include <optional>

#include "app/browse/row_tag.h"

namespace browse {

class ViewerRow {
 public:
  virtual ~ViewerRow() = default;
  virtual QString Path() const = 0;
  virtual QString Resolution() const = 0;
  virtual void SetResolution(const QString& text) = 0;
  virtual QString Size() const = 0;
  // The "Pages" text; none for a list without that column (the basket).
  virtual std::optional<QString> Pages() const = 0;
  // Whether the row is still in its list (a row kept for later may have been removed meanwhile).
  virtual bool Listed() const = 0;
  virtual std::unique_ptr<ViewerRow> Clone() const = 0;
};

// The two lists whose rows reach the viewer; both have "Resolution" and "Size" as the first two
// text columns after the name, only the file list has "Pages" after them.
enum class RowList { FileList, Basket };

class ListViewRow final : public ViewerRow {
 public:
  ListViewRow(QTreeWidget* list, QTreeWidgetItem* item, RowList kind)
      : list_(list), item_(item), kind_(kind) {}
  QString Path() const override;
  QString Resolution() const override;
  void SetResolution(const QString& text) override;
  QString Size() const override;
  std::optional<QString> Pages() const override;
  bool Listed() const override;
  std::unique_ptr<ViewerRow> Clone() const override;

 private:
  QPointer<QTreeWidget> list_;
  QTreeWidgetItem* item_;
  RowList kind_;
};

}  // namespace browse
