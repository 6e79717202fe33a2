#include "app/controls/task_pane.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <limits>

#include "app/controls/image_list.h"

namespace velmora {
namespace {

constexpr int16_t kMaxCount = std::numeric_limits<int16_t>::max();

const char* const kErrorCaption = "ucTaskPane";
const char* const kErrorLead = "An Error has ocurred!\r\n";

// An object's class name without its namespace.
QString TypeName(const QObject& object) {
  const QString name = QString::fromLatin1(object.metaObject()->className());
  const qsizetype cut = name.lastIndexOf(QLatin1String("::"));
  return cut < 0 ? name : name.mid(cut + 2);
}

}  // namespace

QString PaneArg::ToText() const {
  return std::visit(
      [](const auto& value) -> QString {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, QString>) {
          return value;
        } else {
          return QString::number(value);
        }
      },
      value_);
}

ucTaskPane::ucTaskPane(QWidget* parent) : QWidget(parent) {
  sink_ = [this](const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, this);
    box.exec();
  };
}

ucTaskPane::~ucTaskPane() = default;

void ucTaskPane::Refresh() {
  Repaint();
}

void ucTaskPane::Repaint() {
  update();
}

PaneStatus ucTaskPane::AddGroup(const QString& sKey, const QString& sCaption, int16_t,
                                const QPixmap&, const QPixmap&, int32_t) {
  if (model_.m_GroupCount == kMaxCount) return PaneStatus::kOverflow;
  BarGroup group;
  group.sKey = sKey;
  group.sCaption = sCaption;
  model_.m_Groups.push_back(std::move(group));
  ++model_.m_GroupCount;
  Repaint();
  return PaneStatus::kOk;
}

PaneStatus ucTaskPane::AddItem(const PaneArg& Group, const QString& sKey, const QString& sCaption,
                               const std::optional<PaneArg>& iIcon) {
  const int16_t icon = iIcon ? GetIconIndex(*iIcon) : int16_t{-1};
  const int16_t code = GetGroupsByKeyN(Group);
  if (code == kDetailsGroupCode || code == kNoGroupCode || code == 0) return PaneStatus::kOk;
  BarGroup* group = code == kSpecialGroupCode ? &model_.m_SpecialGroup : GroupOf(code, false);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  if (group->iItemCount == kMaxCount) return PaneStatus::kOverflow;
  BarItem item;
  item.sGroup = code == kSpecialGroupCode ? kSpecialGroupKey : Group.ToText();
  item.sKey = sKey;
  item.iIndex = static_cast<int16_t>(group->iItemCount + 1);
  item.sCaption = sCaption;
  item.iIcon = icon;
  group->Items.push_back(std::move(item));
  ++group->iItemCount;
  Repaint();
  return PaneStatus::kOk;
}

void ucTaskPane::SetImageList(QObject* ImageListObj) {
  m_ImageList = ImageListObj;
  if (qobject_cast<ImageList*>(ImageListObj) != nullptr) {
    m_ImageListKind = kKeyedImageList;
  } else if (ImageListObj != nullptr && TypeName(*ImageListObj) == QLatin1String("ExtImageList")) {
    m_ImageListKind = kExtImageList;
  } else {
    m_ImageListKind = kNoImageList;
  }
}

void ucTaskPane::AddSpecialGroup(const QString& Caption, const std::optional<QPixmap>& Icon,
                                 const std::optional<QPixmap>& background) {
  model_.m_bSpecialGroup = true;
  model_.m_SpecialGroup.sCaption = Caption;
  model_.m_SpecialGroup.sKey = kSpecialGroupKey;
  model_.m_SpecialGroup.bExpanded = true;
  if (Icon) model_.m_SpecialIcon = *Icon;
  if (background) model_.m_SpecialBackground = *background;
  Repaint();
}

void ucTaskPane::HideSpecialGroup() {
  model_.m_bSpecialGroup = false;
  Repaint();
  repaint();
}

void ucTaskPane::AddDetailsGroup(const QString& Caption, const QString& sTittle,
                                 const QString& sDetails) {
  model_.m_bDetailsGroup = true;
  model_.m_DetailsGroup.sCaption = Caption;
  model_.m_DetailsGroup.sKey = kDetailsGroupKey;
  model_.m_sDetailsTitle = sTittle;
  model_.m_sDetailsText = sDetails;
  model_.m_DetailsGroup.bExpanded = true;
  Repaint();
}

void ucTaskPane::SetDetailsText(const QString& sDetails) {
  model_.m_sDetailsText = sDetails;
  model_.m_DetailsGroup.bExpanded = true;
  Repaint();
}

void ucTaskPane::HideDetailsGroup() {
  model_.m_bDetailsGroup = false;
  Repaint();
}

int32_t ucTaskPane::OpenLink(const QString& sLink) {
  constexpr int32_t kOpened = 33, kNotOpened = 2;
  const QUrl url = QUrl::fromUserInput(sLink);
  return url.isValid() && QDesktopServices::openUrl(url) ? kOpened : kNotOpened;
}

void ucTaskPane::ClearStructure() {
  QApplication::processEvents();
  model_.m_bSpecialGroup = false;
  model_.m_SpecialGroup.Items.resize(1);
  model_.m_SpecialGroup.iItemCount = 0;
  model_.m_bDetailsGroup = false;
  for (size_t n = 1; n < model_.m_Groups.size(); ++n) {
    if (model_.m_Groups[n].pChild) model_.m_Groups[n].pChild->hide();
  }
  model_.m_Groups.resize(1);
  model_.m_GroupCount = 0;
  unsetCursor();
  const bool updates = m_bUpdates;
  m_bUpdates = true;
  Repaint();
  repaint();
  m_bUpdates = updates;
}

PaneStatus ucTaskPane::ClearGroup(const PaneArg& Group) {
  BarGroup* group = GroupOf(GetGroupsByKeyN(Group), false);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  group->Items.resize(1);
  group->iItemCount = 0;
  Repaint();
  return PaneStatus::kOk;
}

PaneStatus ucTaskPane::SetGroupChild(const PaneArg& Group, QWidget* pChild, int16_t pChildPointer) {
  const int16_t code = GetGroupsByKeyN(Group);
  if (code < 0 || code > model_.m_GroupCount) return PaneStatus::kSubscriptOutOfRange;
  BarGroup& group = model_.m_Groups[static_cast<size_t>(code)];
  group.pChild = pChild;
  group.pChildPointer = pChildPointer;
  Repaint();
  return PaneStatus::kOk;
}

PaneStatus ucTaskPane::ExpandGroup(const PaneArg& Group, std::optional<bool> bExpand) {
  BarGroup* group = GroupOf(GetGroupsByKeyN(Group), true);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  group->bExpanded = bExpand.value_or(!group->bExpanded);
  Repaint();
  return PaneStatus::kOk;
}

PaneStatus ucTaskPane::SetGroupCaption(const PaneArg& Group, const QString& sNewCaption) {
  const int16_t code = GetGroupsByKeyN(Group);
  if (code == kNoGroupCode) return PaneStatus::kOk;
  BarGroup* group = GroupOf(code, true);
  if (group == nullptr) return PaneStatus::kSubscriptOutOfRange;
  group->sCaption = sNewCaption;
  Repaint();
  return PaneStatus::kOk;
}

BarGroup* ucTaskPane::ItemGroupOf(const PaneArg& Group) {
  const int16_t code = GetGroupsByKeyN(Group);
  if (code == kDetailsGroupCode) {
    ShowPaneError(QStringLiteral("Details Group hasn't Child Items!"));
    return nullptr;
  }
  if (code == kSpecialGroupCode) return &model_.m_SpecialGroup;
  if (!GroupExists(code)) {
    ShowPaneError(QStringLiteral("The Group '%1' doesn't exist").arg(Group.ToText()));
    return nullptr;
  }
  return &model_.m_Groups[static_cast<size_t>(code)];
}

BarItem* ucTaskPane::FindItem(const PaneArg& Group, const PaneArg& Item) {
  BarGroup* group = ItemGroupOf(Group);
  if (group == nullptr) return nullptr;
  const int16_t index = GetItemIndex(*group, Item);
  return index > 0 ? &group->Items[static_cast<size_t>(index)] : nullptr;
}

void ucTaskPane::SetItemIcon(const PaneArg& Group, const PaneArg& Item, const PaneArg& iNewIcon,
                             bool) {
  const int16_t icon = GetIconIndex(iNewIcon);
  if (BarItem* item = FindItem(Group, Item)) {
    item->iIcon = icon;
    Repaint();
  }
}

void ucTaskPane::SetItemText(const PaneArg& Group, const PaneArg& Item,
                             const QString& sNewCaption) {
  if (BarItem* item = FindItem(Group, Item)) {
    item->sCaption = sNewCaption;
    Repaint();
  }
}

void ucTaskPane::DisableUpdates(bool bDisable) {
  m_bUpdates = !bDisable;
  Repaint();
}

void ucTaskPane::SetDetailsImage(const QPixmap& detailsImage) {
  model_.m_DetailsImage = detailsImage;
  Repaint();
}

void ucTaskPane::SetFont(const QFont& newFont) {
  QFont font = this->font();
  font.setFamilies(newFont.families().isEmpty() ? QStringList{newFont.family()}
                                                : newFont.families());
  setFont(font);
}

void ucTaskPane::SetUseUxThemeText(bool bNewUseUxThemeText) {
  m_bUseUxThemeText = bNewUseUxThemeText;
  Repaint();
}

QVariant ucTaskPane::EnableExtImageList(const QVariant&) {
  return {};
}

// --- Lookups ---

void ucTaskPane::ShowPaneError(const QString& message) {
  if (sink_) sink_(QString::fromLatin1(kErrorCaption), QString::fromLatin1(kErrorLead) + message);
}

BarGroup* ucTaskPane::GroupOf(int code, bool acceptDetails) {
  if (code == kSpecialGroupCode) return &model_.m_SpecialGroup;
  if (code == kDetailsGroupCode && acceptDetails) return &model_.m_DetailsGroup;
  if (code < 0 || code > model_.m_GroupCount) return nullptr;
  return &model_.m_Groups[static_cast<size_t>(code)];
}

int16_t ucTaskPane::GetGroupsByKeyN(const PaneArg& sGroupKey) {
  if (sGroupKey.IsNumber()) return sGroupKey.Number();
  if (!sGroupKey.IsKey()) {
    ShowPaneError(
        QStringLiteral("GetGroupsByKeyN: sGroupKey not of required Type (String or Integer)!"));
    return kNoGroupCode;
  }
  const QString key = sGroupKey.Key();
  for (int16_t n = 1; n <= model_.m_GroupCount; ++n) {
    if (model_.m_Groups[static_cast<size_t>(n)].sKey == key) return n;
  }
  if (key == kSpecialGroupKey) return kSpecialGroupCode;
  if (key == QLatin1String("Details")) return kDetailsGroupCode;
  return kNoGroupCode;
}

int16_t ucTaskPane::GetItemIndex(const BarGroup& group, const PaneArg& item) {
  if (group.iItemCount < 1) {
    ShowPaneError(QStringLiteral("GetItemIndex: There are no Items in this group!"));
    return 0;
  }
  if (item.IsKey()) {
    for (int16_t i = 1; i <= group.iItemCount; ++i) {
      if (group.Items[static_cast<size_t>(i)].sKey == item.Key()) return i;
    }
    ShowPaneError(QStringLiteral("GetItemIndex/String: Item specified not found!"));
    return 0;
  }
  if (item.IsNumber()) {
    if (item.Number() >= 1 && item.Number() <= group.iItemCount) return item.Number();
    ShowPaneError(QStringLiteral("GetItemIndex/Integer: Item specified not found!"));
    return 0;
  }
  ShowPaneError(QStringLiteral("GetItemIndex: Item must contain String or Integer!"));
  return 0;
}

int ucTaskPane::ImageCount() const {
  if (m_ImageList.isNull()) return 0;
  if (m_ImageListKind == kKeyedImageList)
    return static_cast<ImageList*>(m_ImageList.data())->Count();
  if (m_ImageListKind == kExtImageList) return m_ImageList->property("ImageCount").toInt();
  return 0;
}

int16_t ucTaskPane::GetIconIndex(const PaneArg& iIcon) {
  if (!iIcon.IsKey() && !iIcon.IsNumber()) {
    ShowPaneError(QStringLiteral("GetIconIndex: iIcon not of required Type (String or Integer)!"));
    return -1;
  }
  const int count = ImageCount();
  if (iIcon.IsNumber()) {
    return iIcon.Number() >= 1 && iIcon.Number() <= count ? iIcon.Number() : int16_t{-1};
  }
  // An "ExtImageList" has no keyed list images: looking for a key fails at once, silently.
  if (m_ImageListKind == kExtImageList && count > 0) return -1;
  const auto* list = qobject_cast<const ImageList*>(m_ImageList.data());
  for (int d = 1; list != nullptr && d <= count && d <= kMaxCount; ++d) {
    if (list->Key(d) == iIcon.Key()) return static_cast<int16_t>(d);
  }
  ShowPaneError(QStringLiteral("GetIconIndex: icon with key %1 doesn't exist!").arg(iIcon.Key()));
  return -1;
}

bool ucTaskPane::GroupExists(int code) const {
  if (code == kSpecialGroupCode || code == kDetailsGroupCode) return true;
  return code >= 1 && code <= model_.m_GroupCount;
}

}  // namespace velmora
