#include "app/browse/viewer/viewer_row.h"

namespace browse {

namespace {

constexpr int kResolutionColumn = 1;
constexpr int kSizeColumn = 2;
constexpr int kPagesColumn = 3;

}  // namespace

QString ListViewRow::Path() const {
  return item_->data(0, kRowTagRole).toString();
}

QString ListViewRow::Resolution() const {
  return item_->text(kResolutionColumn);
}

void ListViewRow::SetResolution(const QString& text) {
  item_->setText(kResolutionColumn, text);
}

QString ListViewRow::Size() const {
  return item_->text(kSizeColumn);
}

std::optional<QString> ListViewRow::Pages() const {
  if (kind_ != RowList::FileList) return std::nullopt;
  return item_->text(kPagesColumn);
}

bool ListViewRow::Listed() const {
  // Compares pointers only, so a row deleted meanwhile is never dereferenced.
  return list_ && list_->indexOfTopLevelItem(item_) >= 0;
}

std::unique_ptr<ViewerRow> ListViewRow::Clone() const {
  return std::make_unique<ListViewRow>(*this);
}

}  // namespace browse
