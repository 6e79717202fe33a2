#include "app/shell/main_window.h"

#include <dlfcn.h>

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidget>
#include <cmath>

#include "app/controls/popup_menu.h"
#include "app/controls/splitter.h"
#include "app/controls/twips.h"
#include "app/metadata/metadata_service.h"
#include "app/shell/about.h"
#include "app/shell/errors.h"
#include "app/shell/image_fit.h"
#include "app/shell/paths.h"
#include "app/shell/pictures.h"
#include "app/shell/settings.h"
#include "app/shell/settings_dialog.h"
#include "app/shell/ui_service.h"
#include "app/shell/version_record.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/instance_lock.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"

namespace shell {

namespace {

using pictavo::ax::ImageBoxProxy;

constexpr int kMinWidthTwips = 8000;
constexpr int kMinHeightTwips = 6000;
constexpr int kCaptionHeight = 20;
constexpr int kToolbarHeight = 28;
constexpr int kLiveBarWidth = 30;
constexpr int kTaskPaneWidth = 200;
// The metadata toolbars stand in the strip the tab strip leaves free at the pane's right edge.
constexpr int kBarCell = 20;
constexpr int kDefaultPositions[4] = {70, 30, 50, 50};
// A first start opens large enough for the viewer's toolbar to show whole at the default divider
// positions, as far as the screen allows.
constexpr QSize kFirstRunSize(1280, 960);
constexpr int kDamagedPosition = 10;
constexpr int kMouseMove = 1, kMouseUp = 2, kMouseDown = 3;

const char* const kImageBoxProgId = "Pictavo.ImageBox";
const char* const kProgramFolder = "VelmoraJPEG2000B";

const char* const kHintFolderTree = "Browse for a particular folder where image files are placed.";
const char* const kHintFileList = "List all supported image formats from the selected folder.";
const char* const kHintPreview = "Container for the preview file.";
const char* const kHintBasket = "List all added files or pages in the basket";
const char* const kHintExif = "List all the available EXIF tags from the current image.";
const char* const kHintIptc = "List all available IPTC attributes from JPEG/TIFF/PSD files.";

struct PanelRow {
  const char* key;
  const char* toolTip;
};
constexpr PanelRow kPanels[] = {
    {"filename", "Filename of the previewed image"},
    {"pages", "Total number of pages"},
    {"resolution", "Width, Height, Depth, Type of the previewed image"},
    {"queue", "Total number of files in the image basket"},
    {"metadata", "Metadata type present in the previewed image"},
    {"folder", "Path of the current working folder"},
    {"status", "zoom factor of the current image"},
};

// A toolbar button keeps the size its caption and picture need: a narrow pane clips the row of
// buttons at its end instead of squeezing every caption.
QPushButton* MakeButton(QWidget* parent, const QString& caption, Picture picture) {
  auto* button = new QPushButton(caption, parent);
  subAttachButtonPicture(button, picture, ButtonWidth::ToCaption);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  return button;
}

// A picture-only button at a fixed place.
QPushButton* MakePlacedButton(QWidget* parent, const QRect& place, Picture picture) {
  auto* button = new QPushButton(parent);
  button->setGeometry(place);
  subAttachButtonPicture(button, picture);
  return button;
}

// A flat picture-only button at the end of a caption's row.
QPushButton* MakeCaptionButton(QHBoxLayout* row, Picture picture) {
  auto* button = new QPushButton(row->parentWidget());
  button->setFlat(true);
  subAttachButtonPicture(button, picture, ButtonWidth::ToCaption);
  row->addWidget(button);
  return button;
}

// A picture-only button of a metadata toolbar, one cell of the bar's column.
QPushButton* MakeBarButton(QWidget* bar, int index, Picture picture) {
  return MakePlacedButton(bar, QRect(0, index * kBarCell, kBarCell, kBarCell), picture);
}

QTreeWidget* MakeList(QWidget* parent, const QStringList& columns) {
  auto* list = new QTreeWidget(parent);
  list->setColumnCount(static_cast<int>(columns.size()));
  list->setHeaderLabels(columns);
  list->setRootIsDecorated(false);
  return list;
}

QLabel* MakeCaption(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setFixedHeight(kCaptionHeight);
  label->setAutoFillBackground(true);
  label->setBackgroundRole(QPalette::Dark);
  return label;
}

void AddChoices(QMenu* menu, QActionGroup* group, const QStringList& captions) {
  group->setExclusive(true);
  for (const QString& caption : captions) {
    QAction* action = menu->addAction(caption);
    action->setCheckable(true);
    group->addAction(action);
  }
}

int TickedIndex(const QActionGroup* group) {
  return static_cast<int>(group->actions().indexOf(group->checkedAction()));
}

// Ticks item `index` and answers its caption.
QString Tick(QActionGroup* group, int index) {
  const QList<QAction*> actions = group->actions();
  QAction* action = actions.value(index, actions.first());
  action->setChecked(true);
  return action->text();
}

// Loads the control's stored state from a resource of this program.
void LoadControlState(plat::com::ControlHost* host, const QString& resource) {
  QFile file(resource);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();
  auto state = host->Dispatch().As<pictavo::ax::IControlState>();
  if (!state) return;
  plat::com::OleCheck(state->LoadState(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                       static_cast<uint32_t>(bytes.size())));
}

plat::com::ControlHost* MakeImageBox(QWidget* parent, const QString& stateResource) {
  auto* host = new plat::com::ControlHost(parent);
  CreateImageBox(host);
  LoadControlState(host, stateResource);
  return host;
}

// A pane is opaque, as a picture box is: a pane laid over a divider's bar hides it.
QWidget* MakePane(QWidget* parent) {
  auto* pane = new QWidget(parent);
  pane->setAutoFillBackground(true);
  return pane;
}

QWidget* MakeHiddenPane(QWidget* parent) {
  auto* pane = new QWidget(parent);
  pane->hide();
  return pane;
}

int RightEdge(const QWidget* w) {
  return w->x() + w->width();
}
int BottomEdge(const QWidget* w) {
  return w->y() + w->height();
}

void SetToolTips(const std::initializer_list<std::pair<QWidget*, const char*>>& tips, bool show) {
  for (const auto& [widget, text] : tips)
    widget->setToolTip(show ? QString::fromUtf8(text) : QString());
}

// The places a build or an installation puts the control library.
QStringList PictavoLibraryCandidates() {
  const QString dir = QCoreApplication::applicationDirPath();
  return {dir + QStringLiteral("/libPictavo.so"), dir + QStringLiteral("/../lib/libPictavo.so"),
          dir + QStringLiteral("/../control/activex/libPictavo.so")};
}

bool RegisterLibrary(const QString& path) {
  void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return false;
  using EntryFn = plat::com::HRESULT (*)();
  auto entry = reinterpret_cast<EntryFn>(::dlsym(handle, "DllRegisterServer"));
  return entry && plat::com::Succeeded(entry());
}

bool RegisterPictavoBeside() {
  for (const QString& candidate : PictavoLibraryCandidates())
    if (QFile::exists(candidate) && RegisterLibrary(candidate)) return true;
  return false;
}

}  // namespace

int32_t glThumbWidth = 0;
int32_t glThumbHeight = 0;
int32_t glBasketThumbWidth = 0;
int32_t glBasketThumbHeight = 0;
QString gstrBasketFolder;
uint8_t gbytMetadataTab = 0;

// ---------------------------------------------------------------------------------------------

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this)) {
  model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setRootPath(QDir::rootPath());
  setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) hideColumn(column);
  setHeaderHidden(true);
  connect(model_, &QFileSystemModel::directoryLoaded, this, &FolderTree::SelectWhenLoaded);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) emit FolderSelected(model_->filePath(current));
          });
}

QString FolderTree::SelectedPath() const {
  if (!pending_.isEmpty()) return pending_;
  return model_->filePath(currentIndex());
}

void FolderTree::SetSelectedPath(const QString& path) {
  pending_ = QDir(path).exists() ? QDir::cleanPath(path) : QDir::homePath();
  const QModelIndex index = model_->index(pending_);
  if (index.isValid()) SelectWhenLoaded(pending_);
}

void FolderTree::SelectWhenLoaded(const QString&) {
  if (pending_.isEmpty()) return;
  const QModelIndex index = model_->index(pending_);
  if (!index.isValid()) return;
  pending_.clear();
  setCurrentIndex(index);
  scrollTo(index);
}

TabStrip::TabStrip(const QStringList& tabs, QWidget* parent)
    : QFrame(parent), tabs_(new QTabBar(this)) {
  setFrameShape(QFrame::StyledPanel);
  for (const QString& tab : tabs) tabs_->addTab(tab);
}

int TabStrip::TabRowHeight() const {
  return tabs_->sizeHint().height();
}

void TabStrip::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  tabs_->setGeometry(0, 0, width(), TabRowHeight());
}

FrameDummy::FrameDummy(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmFrameDummy"));
  mnuEXIF = new QMenu(QStringLiteral("EXIF"), this);
  mnuIPTC = new QMenu(QStringLiteral("IPTC"), this);
  mnuTaskBasket = new QMenu(QStringLiteral("Task Basket"), this);
  const QStringList exif{QStringLiteral("Edit the selected tag"),
                         QStringLiteral("Create a new editable EXIF tag"),
                         QStringLiteral("Remove the selected EXIF tag"),
                         QStringLiteral("Discard all EXIF tags from the image"),
                         QStringLiteral("Import an existing EXIF file (.XIFF)"),
                         QStringLiteral("Export to file (.XIFF)")};
  const QStringList iptc{QStringLiteral("Edit the selected IPTC tag"),
                         QStringLiteral("Import an existing IPTC file (.FFO)"),
                         QStringLiteral("Export to file (.FFO)"),
                         QStringLiteral("Remove the selected IPTC tag"),
                         QStringLiteral("Discard all IPTC tags from the image")};
  const QStringList tasks{QStringLiteral("New Task Basket"), QStringLiteral("Open Task Basket"),
                          QStringLiteral("Save Task Basket"),
                          QStringLiteral("Remove selected Task")};
  auto forward = [](QMenu* menu, const QStringList& captions, auto target) {
    for (int index = 0; index < captions.size(); ++index)
      QObject::connect(menu->addAction(captions[index]), &QAction::triggered, menu,
                       [target, index] { target(index); });
  };
  forward(mnuEXIF, exif, [](int index) {
    if (auto* service = metadata::Metadata())
      service->cmdEXIFBar_Click(static_cast<int16_t>(index));
  });
  forward(mnuIPTC, iptc, [](int index) {
    if (auto* service = metadata::Metadata())
      service->cmdIPTCBar_Click(static_cast<int16_t>(index));
  });
  forward(mnuTaskBasket, tasks, [this](int index) { emit TaskBasketCommand(index); });
  ibTemp = MakeImageBox(this, QStringLiteral(":/states/frame_temp.tpf"));
  ibTemp->hide();
}

// ---------------------------------------------------------------------------------------------

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QCoreApplication::applicationName());
  // Building the panes creates the image controls; a control that cannot be created ends the
  // program, so that failure is left to the caller.
  BuildPanes();
  frmFrameDummy = new FrameDummy(this);
  Trap(Routine::FrmMain_Form_Load, [this] {
    SetActivity(Activity::LoadingControlsAndSettings);
    subSetup();
  });
  resize(StartSize());
  // The size above stays the normal size the window returns to from the maximised state.
  if (LoadWindowMaximized()) setWindowState(windowState() | Qt::WindowMaximized);
}

QSize MainWindow::MinimumSize() {
  return {velmora::TwipsToPixels(kMinWidthTwips), velmora::TwipsToPixels(kMinHeightTwips)};
}

// The size of the last run's window; a record that never held one (it still has the defaults)
// gives the first-run size. Either way the window fits the screen and keeps its minimum size.
QSize MainWindow::StartSize() {
  const auto& stored = gSetup.WindowOptions;
  const auto defaults = DefaultSetupRecord().WindowOptions;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize room = screen ? screen->availableSize() : kFirstRunSize;
  const QSize size =
      stored.Width == defaults.Width && stored.Height == defaults.Height
          ? kFirstRunSize
          : QSize(velmora::TwipsToPixels(stored.Width), velmora::TwipsToPixels(stored.Height));
  return size.boundedTo(room).expandedTo(MinimumSize());
}

void MainWindow::StoreWindowSize() {
  const QSize size = isMaximized() || isFullScreen() ? normalGeometry().size() : this->size();
  gSetup.WindowOptions.Width = velmora::PixelsToTwips(size.width());
  gSetup.WindowOptions.Height = velmora::PixelsToTwips(size.height());
}

MainWindow::~MainWindow() = default;

const QStringList& MainWindow::fileMainPattern() {
  static const QStringList pattern =
      QStringLiteral(
          "*.jpg*;*.jpeg*;*.jpe*;*.tif*;*.tiff*;*.gif*;*.bmp*;*.pcx*;"
          "*.png*;*.wbm*;*.wbmp*;*.psd*")
          .split(QLatin1Char(';'));
  return pattern;
}

void MainWindow::BuildPanes() {
  splMain = new velmora::Splitter(this);
  splMain->SetOrientation(velmora::Splitter::kHorizontal);
  splRight = new velmora::Splitter(splMain);
  splLeft = new velmora::Splitter(splMain);
  splView = new velmora::Splitter(splRight);
  BuildBrowsePane();
  BuildViewPane();
  BuildMetadataPane();
  BuildFolderPane();
  BuildQueuePane();
  BuildStatusBar();
  ibTemp = MakeImageBox(this, QStringLiteral(":/states/main_temp.tpf"));
  ibTemp->hide();
  PicTiff = new QLabel(this);
  PicTiff->hide();
  pTemp = new QLabel(this);
  pTemp->hide();
  // The dividers place the panes after the window's own resize: lay out again when they do.
  for (QWidget* pane : {picBrowse, PicMetadata, PicFolder, PicQueue, picView})
    pane->installEventFilter(this);
  for (velmora::Splitter* divider : {splMain, splRight, splLeft, splView})
    connect(divider, &velmora::Splitter::SplitComplete, this,
            [this] { IgnoreErrors([this] { subResize(); }); });
}

void MainWindow::BuildBrowsePane() {
  picBrowse = MakePane(splRight);
  lblBrowse = MakeCaption(picBrowse, QStringLiteral("Browse File System"));
  tbsBrowse = new TabStrip({QStringLiteral("File System")}, picBrowse);
  picFileSystem = new QWidget(picBrowse);
  ftvBrowse = new FolderTree(picFileSystem);
  lvEdit = MakeList(picBrowse, {QStringLiteral("Confirmed Tasks")});
  lvEdit->hide();
  picEditBar = MakeHiddenPane(picBrowse);
  connect(tbsBrowse->Tabs(), &QTabBar::tabBarClicked, this, [this] { tbsBrowse_Click(); });
}

void MainWindow::BuildMetadataPane() {
  PicMetadata = MakePane(splView);
  lblMetadata = MakeCaption(PicMetadata, QStringLiteral(" Metadata"));
  tbsMetadata =
      new TabStrip({QStringLiteral("EXIF Tags"), QStringLiteral("IPTC File Info")}, PicMetadata);
  const QStringList columns{QStringLiteral("Attribute"), QStringLiteral("Value")};
  lvExif = MakeList(PicMetadata, columns);
  lvIPTC = MakeList(PicMetadata, columns);
  lvIPTC->hide();
  picEXIFBar = new QWidget(PicMetadata);
  picEXIFBar->resize(kBarCell, kBarCell * static_cast<int>(cmdEXIFBar.size()));
  picIPTCBar = new QWidget(PicMetadata);
  picIPTCBar->resize(kBarCell, kBarCell * static_cast<int>(cmdIPTCBar.size()));
  picIPTCBar->hide();
  const bool available = metadata::Metadata() && metadata::Metadata()->PaneCommandsReady();
  constexpr Picture exifPictures[] = {Picture::picMetadataEdit,   Picture::picMetadataAdd,
                                      Picture::IconEditbarRemove, Picture::IconEditbarNew,
                                      Picture::IconEditbarOpen,   Picture::IconEditbarSave};
  constexpr Picture iptcPictures[] = {Picture::picMetadataEdit, Picture::IconEditbarOpen,
                                      Picture::IconEditbarSave, Picture::IconEditbarRemove,
                                      Picture::IconEditbarNew};
  for (size_t i = 0; i < cmdEXIFBar.size(); ++i) {
    cmdEXIFBar[i] = MakeBarButton(picEXIFBar, static_cast<int>(i), exifPictures[i]);
    cmdEXIFBar[i]->setEnabled(available);
    connect(cmdEXIFBar[i], &QPushButton::clicked, this,
            [i] { metadata::Metadata()->cmdEXIFBar_Click(static_cast<int16_t>(i)); });
  }
  for (size_t i = 0; i < cmdIPTCBar.size(); ++i) {
    cmdIPTCBar[i] = MakeBarButton(picIPTCBar, static_cast<int>(i), iptcPictures[i]);
    cmdIPTCBar[i]->setEnabled(available);
    connect(cmdIPTCBar[i], &QPushButton::clicked, this,
            [i] { metadata::Metadata()->cmdIPTCBar_Click(static_cast<int16_t>(i)); });
  }
}

void MainWindow::BuildFolderPane() {
  PicFolder = MakePane(splLeft);
  lblFolder = MakeCaption(PicFolder, QStringLiteral("Folder"));
  lvFolder = MakeList(
      PicFolder, {QStringLiteral("File Name"), QStringLiteral("Resolution"), QStringLiteral("Size"),
                  QStringLiteral("Pages"), QStringLiteral("Type"), QStringLiteral("Date Created"),
                  QStringLiteral("Date Modified"), QStringLiteral("Date Accessed")});
  BuildFolderToolbar();
}

void MainWindow::BuildFolderToolbar() {
  PicToolbarFolder = new QWidget(lblFolder);
  cmdBrowseSettings =
      MakeButton(PicToolbarFolder, QStringLiteral("     Settings"), Picture::picBrowseSettings);
  cmdBrowseAbout =
      MakeButton(PicToolbarFolder, QStringLiteral("      Help"), Picture::picBrowseAbout);
  SetToolTips({{cmdBrowseSettings, "Adjust setting"}, {cmdBrowseAbout, "Help and other resources"}},
              true);
  auto* row = new QHBoxLayout(PicToolbarFolder);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (QPushButton* button : {cmdBrowseSettings, cmdBrowseAbout}) {
    button->setFlat(true);
    button->setFixedHeight(kCaptionHeight);
    row->addWidget(button);
  }
  PicToolbarFolder->resize(PicToolbarFolder->sizeHint());
  mnuAboutParent = MakeHelpMenu(this);
  connect(cmdBrowseSettings, &QPushButton::clicked, this, [this] { cmdBrowseSettings_Click(); });
  connect(cmdBrowseAbout, &QPushButton::clicked, this, [this] { cmdBrowseAbout_Click(); });
}

void MainWindow::cmdBrowseSettings_Click() {
  IgnoreErrors([this] {
    cmdBrowseSettings->repaint();
    ShowSettingsDialog(this, [this] { subUpdateForm(); });
  });
}

void MainWindow::cmdBrowseAbout_Click() {
  IgnoreErrors([this] {
    cmdBrowseAbout->repaint();
    velmora::PopUpBelow(mnuAboutParent, cmdBrowseAbout);
  });
}

void MainWindow::BuildQueuePane() {
  PicQueue = MakePane(splLeft);
  lblQueue = MakeCaption(PicQueue, QStringLiteral("Image Basket"));
  picLiveBar = new QWidget(PicQueue);
  picLiveBar->setGeometry(0, kCaptionHeight, kLiveBarWidth, 4 * kToolbarHeight);
  lvPages =
      MakeList(PicQueue, {QStringLiteral("File Name"), QStringLiteral("Resolution"),
                          QStringLiteral("Size"), QStringLiteral("Type"), QStringLiteral("Path")});
  // The output buttons stand below the basket's own four in the toolbar column.
  picLiveBar->resize(kLiveBarWidth, 6 * kToolbarHeight);
  cmdSaveAs =
      MakePlacedButton(picLiveBar, QRect(0, 4 * kToolbarHeight, kLiveBarWidth, kToolbarHeight),
                       Picture::picSaveMultiPage);
  cmdBatchPrint =
      MakePlacedButton(picLiveBar, QRect(0, 5 * kToolbarHeight, kLiveBarWidth, kToolbarHeight),
                       Picture::picBatchPrint);
  // Scanning and capturing stand at the right end of the caption, where a short pane still shows
  // them; the basket adds its progress and its add button to the same row.
  auto* captionRow = new QHBoxLayout(lblQueue);
  captionRow->setContentsMargins(0, 0, 0, 0);
  captionRow->setSpacing(2);
  captionRow->addStretch(1);
  cmdTwainAcquire = MakeCaptionButton(captionRow, Picture::picTwainAcquire);
  cmdCapture = MakeCaptionButton(captionRow, Picture::picCapture);
  SetToolTips({{cmdSaveAs, "Generate documents in batch"},
               {cmdBatchPrint, "Print all images in the basket in batch mode."},
               {cmdTwainAcquire, "Source raw images from twain devices"},
               {cmdCapture, "Source raw images from capture utility"}},
              true);
}

void MainWindow::BuildViewPane() {
  picView = MakePane(splView);
  picToolbarPreview = new QWidget(picView);
  picToolbarPreview->setGeometry(0, 0, 0, kToolbarHeight);
  Label4 = new QLabel(QStringLiteral("Preview"), picToolbarPreview);
  cmdPreviewSave = MakeButton(picToolbarPreview, QString(), Picture::picPreviewSave);
  cmdPreviewType =
      MakeButton(picToolbarPreview, QStringLiteral("     Optimized"), Picture::picPreviewType);
  cmdPreviewPrint = MakeButton(picToolbarPreview, QStringLiteral("  "), Picture::picPreviewPrint);
  cmdPreviewView =
      MakeButton(picToolbarPreview, QStringLiteral("     Actual Size"), Picture::picPreviewView);
  cmdPreviewPrevious = MakeButton(picToolbarPreview, QString(), Picture::picPreviewPrevious);
  cmdPreviewNext = MakeButton(picToolbarPreview, QString(), Picture::picPreviewNext);
  CmdPreviewEdit =
      MakeButton(picToolbarPreview, QStringLiteral("    Edit"), Picture::picPreviewEdit);
  SetToolTips({{cmdPreviewSave, "Save the current preview image to file"},
               {cmdPreviewType, "Set the view type to either Original or Optimized"},
               {cmdPreviewPrint, "Print the current preview image"},
               {cmdPreviewView, "Set the fit mode of the image"},
               {cmdPreviewPrevious, "View the image of the previous file"},
               {cmdPreviewNext, "View the image of the next file"},
               {CmdPreviewEdit, "Edit the current image"}},
              true);
  previewToolbarItems_ = {Label4,         cmdPreviewSave,     cmdPreviewType, cmdPreviewPrint,
                          cmdPreviewView, cmdPreviewPrevious, cmdPreviewNext, CmdPreviewEdit};
  mnuPreviewType = new QMenu(QStringLiteral("Preview selection"), this);
  previewTypeGroup_ = new QActionGroup(this);
  AddChoices(mnuPreviewType, previewTypeGroup_,
             {QStringLiteral("Original"), QStringLiteral("Optimized")});
  mnuPreviewFit = new QMenu(QStringLiteral("Preview zoom"), this);
  previewFitGroup_ = new QActionGroup(this);
  AddChoices(mnuPreviewFit, previewFitGroup_,
             {QStringLiteral("Best Fit"), QStringLiteral("Actual Size")});

  PicViewImage = new QFrame(picView);
  ibMain = MakeImageBox(PicViewImage, QStringLiteral(":/states/main_viewer.tpf"));
  connect(ibMain, &plat::com::ControlHost::Event, this, &MainWindow::ForwardImageEvent);
  vsbView = new QScrollBar(Qt::Vertical, picView);
  hsbView = new QScrollBar(Qt::Horizontal, picView);
  vsbView->resize(vsbView->sizeHint().width(), vsbView->height());
  hsbView->resize(hsbView->width(), hsbView->sizeHint().height());
  connect(vsbView, &QScrollBar::valueChanged, this,
          [this] { subScrollImageVertical(ibMain, vsbView); });
  connect(hsbView, &QScrollBar::valueChanged, this,
          [this] { subScrollImageHorizontal(ibMain, hsbView); });
  eb = new QWidget(picView);
  eb->resize(kTaskPaneWidth, 0);
  eb->hide();
  picDialog = new QWidget(eb);
  for (QWidget*& panel : taskPanels) panel = new QWidget(picDialog);
}

void MainWindow::BuildStatusBar() {
  sbMain = new QStatusBar(this);
  sbMain->setSizeGripEnabled(false);
  for (const PanelRow& row : kPanels) {
    auto* panel = new QFrame(sbMain);
    panel->setToolTip(QString::fromUtf8(row.toolTip));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* line = new QHBoxLayout(panel);
    line->setContentsMargins(2, 0, 2, 0);
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("icon"));
    auto* text = new QLabel(panel);
    line->addWidget(icon);
    line->addWidget(text, 1);
    sbMain->addWidget(panel, 1);
    panels_.insert(QString::fromUtf8(row.key), text);
  }
  panels_.value(QStringLiteral("filename"))->setText(QStringLiteral("No file selected"));
  sbMain->hide();
}

void MainWindow::SetPanelIcons() {
  const std::pair<const char*, Picture> icons[] = {{"filename", Picture::iDetailIcon},
                                                   {"queue", Picture::imgQueue},
                                                   {"metadata", Picture::imgMetadata},
                                                   {"folder", Picture::imgFolder},
                                                   {"status", Picture::picPreviewView}};
  for (const auto& [key, picture] : icons) {
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
    PanelIcon(QString::fromLatin1(key))->setPixmap(PictureIcon(picture).pixmap(side, side));
  }
}

QLabel* MainWindow::PanelIcon(const QString& key) const {
  return Panel(key)->parentWidget()->findChild<QLabel*>(QStringLiteral("icon"));
}

void MainWindow::FillCombos() {
  cboMergeStyle = new QComboBox(this);
  cboMergeStyle->addItems({QStringLiteral("Single"), QStringLiteral("Centre"),
                           QStringLiteral("Tile"), QStringLiteral("Wrap")});
  ComboFilter = new QComboBox(this);
  ComboFilter->addItems({QStringLiteral("Bilinear"), QStringLiteral("Hermite"),
                         QStringLiteral("Bell"), QStringLiteral("B-Spline"),
                         QStringLiteral("Lanczos"), QStringLiteral("Mitchell")});
  cboPosition = new QComboBox(this);
  cboPosition->addItems({QStringLiteral("Top-Left"), QStringLiteral("Top-Centre"),
                         QStringLiteral("Top-Right"), QStringLiteral("Centre-Left"),
                         QStringLiteral("Centre"), QStringLiteral("Centre-Right"),
                         QStringLiteral("Bottom-Left"), QStringLiteral("Bottom-Centre"),
                         QStringLiteral("Bottom-Right"), QStringLiteral("Mouse-Click Position")});
  comboFontSize = new QComboBox(this);
  for (int size = 8; size <= 100; ++size) comboFontSize->addItem(QString::number(size));
  ComboFontFamily = new QComboBox(this);
  ComboFontFamily->addItems(QFontDatabase::families());
  for (QComboBox* combo : {cboMergeStyle, ComboFilter, cboPosition, comboFontSize, ComboFontFamily})
    combo->hide();
}

void MainWindow::subSetup() {
  Trap(Routine::FrmMain_subSetup, [this] {
    SetActivity(Activity::SettingUpMainApplication);
    subRestoreLayout();
    gbytMetadataTab = 0;
    mbFirstResize = true;
    subInitErrorHandling();
    CopyThumbnailSizes();
    if (auto* service = metadata::Metadata()) service->subInitMetadataTables();
    subSetHelpFile();
    ImageBoxProxy(ibMain->Dispatch())
        .put_PrintTitle(QCoreApplication::applicationName().toStdString());
    SetPanelIcons();
    splMain->SetLeftOrTopControl(splRight);
    splMain->SetRightOrBottomControl(splLeft);
    splRight->SetLeftOrTopControl(picBrowse);
    splRight->SetRightOrBottomControl(splView);
    splLeft->SetLeftOrTopControl(PicFolder);
    splLeft->SetRightOrBottomControl(PicQueue);
    splView->SetLeftOrTopControl(picView);
    splView->SetRightOrBottomControl(PicMetadata);
    FillCombos();
    panels_.value(QStringLiteral("queue"))->setText(QStringLiteral("No files in basket"));
  });
}

void MainWindow::subRestoreLayout() {
  subLoadSetup();
  auto& split = gSetup.SplitterOptions;
  // A drag can leave 10/10; that pattern once meant "damaged", but only the positions are reset:
  // a damaged file is refused by the load's own checks.
  if (split.Main == kDamagedPosition && split.Right == kDamagedPosition) {
    split.Main = kDefaultPositions[0];
    split.Right = kDefaultPositions[1];
    split.Left = kDefaultPositions[2];
    split.View = kDefaultPositions[3];
  }
  ApplyLayoutSettings();
  subUpdateForm();
}

void MainWindow::ApplyLayoutSettings() {
  const auto& split = gSetup.SplitterOptions;
  splMain->SetSplitterPosition(split.Main);
  splRight->SetSplitterPosition(split.Right);
  splLeft->SetSplitterPosition(split.Left);
  splView->SetSplitterPosition(split.View);
  cmdPreviewType->setText(QStringLiteral("    ") +
                          Tick(previewTypeGroup_, gSetup.PreviewOptions.PreviewType));
  mbOptimizedView = gSetup.PreviewOptions.PreviewType != 0;
  cmdPreviewView->setText(QStringLiteral("  ") +
                          Tick(previewFitGroup_, gSetup.PreviewOptions.FitMode));
  const auto& folder = gSetup.FolderListOptions.ColumnWidths;
  for (size_t i = 0; i < folder.size(); ++i)
    lvFolder->setColumnWidth(static_cast<int>(i), folder[i]);
  const auto& basket = gSetup.BasketListOptions.ColumnWidths;
  for (size_t i = 0; i < basket.size(); ++i)
    lvPages->setColumnWidth(static_cast<int>(i), basket[i]);
  const auto& meta = gSetup.MetadataListOptions;
  lvExif->setColumnWidth(0, meta.ExifNameWidth);
  lvExif->setColumnWidth(1, meta.ExifValueWidth);
  lvIPTC->setColumnWidth(0, meta.IptcNameWidth);
  lvIPTC->setColumnWidth(1, meta.IptcValueWidth);
  gstrBasketFolder = gSetup.BasketListOptions.Folder;
}

void MainWindow::CopyThumbnailSizes() {
  glThumbWidth = gSetup.FolderListOptions.ThumbnailWidth;
  glThumbHeight = gSetup.FolderListOptions.ThumbnailHeight;
  glBasketThumbHeight = gSetup.BasketListOptions.ThumbnailHeight;
  glBasketThumbWidth = gSetup.BasketListOptions.ThumbnailWidth;
}

void MainWindow::subSetHelpFile() {
  gstrHelpFile = fncAppDataPath() + QStringLiteral("Help.html");
}

void MainWindow::subUpdateForm() {
  Trap(Routine::FrmMain_subUpdateForm, [this] {
    SetActivity(Activity::UpdatingSettingsToControls);
    CopyThumbnailSizes();
    lvFolder->setSelectionBehavior(gSetup.FolderListOptions.FullRowSelect
                                       ? QAbstractItemView::SelectRows
                                       : QAbstractItemView::SelectItems);
    lvPages->setSelectionBehavior(gSetup.BasketListOptions.FullRowSelect
                                      ? QAbstractItemView::SelectRows
                                      : QAbstractItemView::SelectItems);
    SetToolTips(
        {{ftvBrowse, kHintFolderTree},
         {lvFolder, kHintFileList},
         {lvExif, kHintExif},
         {lvIPTC, kHintIptc},
         {lvPages, kHintBasket},
         {PicViewImage, kHintPreview},
         {cmdEXIFBar[0], "Edit the selected EXIF tag"},
         {cmdEXIFBar[1], "Create a new editable EXIF tag"},
         {cmdEXIFBar[2], "Remove the selected EXIF tag from the image"},
         {cmdEXIFBar[3], "Empty all EXIF tags from the image ( all EXIF tags will be discarded)"},
         {cmdEXIFBar[4], "Open an existing EXIF file (.XIFF)"},
         {cmdEXIFBar[5], "Save the current EXIF tags from the image to file (.XIFF)"},
         {cmdIPTCBar[0], "Edit the selected IPTC tag"},
         {cmdIPTCBar[1], "Open an existing IPTC file (.FFO)"},
         {cmdIPTCBar[2], "Save the current IPTC tags from the image to file (.FFO)"},
         {cmdIPTCBar[3], "Delete the selected IPTC tag from the image"},
         {cmdIPTCBar[4], "Empty all IPTC tags from the image (all tags will be discarded)"}},
        gSetup.TooltipOptions.ShowTooltips == 1);
  });
}

void MainWindow::subEnd() {
  if (ended_) return;
  ended_ = true;
  SetActivity(Activity::SavingSettingsBeforeTermination);
  // Each store is guarded on its own, so one failing step never costs the others or the file.
  auto store = [](const std::function<void()>& step) { Trap(Routine::FrmMain_subEnd, step); };
  store([this] {
    auto& split = gSetup.SplitterOptions;
    split.Main = static_cast<int16_t>(splMain->SplitterPosition());
    split.Right = static_cast<int16_t>(splRight->SplitterPosition());
    split.Left = static_cast<int16_t>(splLeft->SplitterPosition());
    split.View = static_cast<int16_t>(splView->SplitterPosition());
  });
  store([this] {
    gSetup.PreviewOptions.FitMode = TickedIndex(previewFitGroup_) == 0 ? 0 : 1;
    gSetup.PreviewOptions.PreviewType = TickedIndex(previewTypeGroup_) == 0 ? 0 : 1;
  });
  store([this] { gSetup.BrowseOptions.LastFolder = ftvBrowse->SelectedPath(); });
  auto width = [](const QTreeWidget* list, int column) {
    return static_cast<int16_t>(std::nearbyint(static_cast<double>(list->columnWidth(column))));
  };
  store([&] {
    auto& folder = gSetup.FolderListOptions.ColumnWidths;
    for (size_t i = 0; i < folder.size(); ++i) folder[i] = width(lvFolder, static_cast<int>(i));
    gSetup.FolderListOptions.ThumbnailWidth = static_cast<int16_t>(glThumbWidth);
    gSetup.FolderListOptions.ThumbnailHeight = static_cast<int16_t>(glThumbHeight);
  });
  store([&] {
    auto& basket = gSetup.BasketListOptions.ColumnWidths;
    for (size_t i = 0; i < basket.size(); ++i) basket[i] = width(lvPages, static_cast<int>(i));
    gSetup.BasketListOptions.ThumbnailHeight = static_cast<int16_t>(glBasketThumbHeight);
    gSetup.BasketListOptions.ThumbnailWidth = static_cast<int16_t>(glBasketThumbWidth);
    gSetup.BasketListOptions.Folder = gstrBasketFolder;
  });
  store([&] {
    auto& meta = gSetup.MetadataListOptions;
    meta.ExifNameWidth = width(lvExif, 0);
    meta.ExifValueWidth = width(lvExif, 1);
    meta.IptcNameWidth = width(lvIPTC, 0);
    meta.IptcValueWidth = width(lvIPTC, 1);
  });
  store([this] { StoreWindowSize(); });
  subSaveSetup();
  store([this] { SaveWindowMaximized(isMaximized()); });
  emit Ending();
  SetActivity(Activity::UnsubclassingControls);
  DetachButtonPictures();
}

void MainWindow::DetachButtonPictures() {
  // The window's own buttons in the order they were given their pictures, then those the working
  // areas added.
  for (QAbstractButton* button :
       {cmdSaveAs, cmdBrowseSettings, cmdBrowseAbout, cmdPreviewView, cmdPreviewPrevious,
        cmdPreviewNext, cmdPreviewType, cmdPreviewSave, cmdBatchPrint})
    subDetachButtonPicture(button);
  for (QPushButton* button : cmdEXIFBar) subDetachButtonPicture(button);
  for (QPushButton* button : cmdIPTCBar) subDetachButtonPicture(button);
  for (QAbstractButton* button : {CmdPreviewEdit, cmdPreviewPrint, cmdTwainAcquire, cmdCapture})
    subDetachButtonPicture(button);
  DetachAllButtonPictures(this);
}

// ---------------------------------------------------------------------------------------------

Arrangement MainWindow::CurrentArrangement() const {
  if (!splView->LeftOrTopControl() && !splMain->LeftOrTopControl()) return Arrangement::Edit;
  if (!splView->LeftOrTopControl() && !splView->RightOrBottomControl())
    return Arrangement::BrowseMetadataHidden;
  return Arrangement::BrowseMetadataShown;
}

void MainWindow::subResize() {
  if (isMinimized() || resizing_) return;
  const QScopedValueRollback<bool> guard(resizing_, true);
  IgnoreErrors([this] {
    const QSize minimum = MinimumSize();
    if (width() < minimum.width() || height() < minimum.height())
      resize(size().expandedTo(minimum));
  });
  IgnoreErrors([this] { splMain->setGeometry(0, 0, width(), height() - sbMain->height()); });
  IgnoreErrors([this] { LayOutBrowsePane(); });
  IgnoreErrors([this] { LayOutMetadataPane(); });
  IgnoreErrors([this] { LayOutFolderPane(); });
  IgnoreErrors([this] { LayOutViewPane(CurrentArrangement()); });
  IgnoreErrors([this] { LayOutQueuePane(); });
  IgnoreErrors([this] { subFitImageToView(PicViewImage, ibMain, hsbView, vsbView); });
  IgnoreErrors([this] { ShowImageState(); });
  IgnoreErrors([this] { PicViewImage->show(); });
  IgnoreErrors([this] { ShowZoom(); });
  IgnoreErrors([this] {
    for (QWidget* panel : taskPanels) panel->move(0, 0);
  });
}

void MainWindow::LayOutBrowsePane() {
  const int w = picBrowse->width(), h = picBrowse->height();
  const int t = tbsBrowse->TabRowHeight();
  lblBrowse->setGeometry(0, 0, w, lblBrowse->height());
  tbsBrowse->setGeometry(2, lblBrowse->height(), w - 2, h - lblBrowse->height());
  const QRect inside(4, tbsBrowse->y() + t + 5, tbsBrowse->width() - 6,
                     tbsBrowse->height() - t - 8);
  picFileSystem->setGeometry(inside);
  picFileSystem->raise();
  ftvBrowse->setGeometry(picFileSystem->contentsRect());
  lvEdit->setGeometry(inside);
  lvEdit->raise();
}

void MainWindow::LayOutMetadataPane() {
  const int w = PicMetadata->width(), h = PicMetadata->height();
  const int t = tbsMetadata->TabRowHeight();
  lblMetadata->setGeometry(0, 0, w, lblMetadata->height());
  tbsMetadata->setGeometry(0, lblMetadata->height(), w - 20, h - lblMetadata->height());
  const QRect lists(2, tbsMetadata->y() + t + 4, tbsMetadata->width() - 6,
                    tbsMetadata->height() - t - 8);
  lvExif->setGeometry(lists);
  lvIPTC->setGeometry(lists);
  lvExif->raise();
  lvIPTC->raise();
  // The toolbar stands beside the lists, in the strip the tab strip leaves free.
  picEXIFBar->move(RightEdge(tbsMetadata), lists.y());
  picIPTCBar->move(picEXIFBar->x(), picEXIFBar->y());
}

void MainWindow::LayOutFolderPane() {
  const int w = PicFolder->width(), h = PicFolder->height();
  lblFolder->resize(w, lblFolder->height());
  // The toolbar stands just left of the buttons the file list puts at the caption's right end.
  if (lblFolder->layout()) lblFolder->layout()->activate();
  int right = w;
  for (const QPushButton* button :
       lblFolder->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
    right = std::min(right, button->x());
  PicToolbarFolder->move(right - PicToolbarFolder->width(), 0);
  lvFolder->setGeometry(2, lblFolder->height(), w - 2, h - lblFolder->height() - 2);
}

void MainWindow::LayOutViewPane(Arrangement arrangement) {
  PlaceViewPane(arrangement);
  const int tb = LayOutPreviewToolbar(PreviewToolbarRowWidth(arrangement));
  const int vw = vsbView->width(), hh = hsbView->height();
  if (arrangement == Arrangement::Edit) {
    PicViewImage->setGeometry(0, tb, picView->width() - vw - eb->width(),
                              picView->height() - tb - hh);
  } else {
    // The image area keeps its top-left corner and height whether the metadata pane shows or
    // not: only its right edge follows the pane, so the pane never shifts the view.
    PicMetadata->setVisible(arrangement == Arrangement::BrowseMetadataShown);
    PicViewImage->setGeometry(1, tb + 1, picView->width() - vw - 1,
                              picView->height() - tb - hh - 2);
  }
  vsbView->setGeometry(RightEdge(PicViewImage), PicViewImage->y(), vw, PicViewImage->height());
  hsbView->setGeometry(PicViewImage->x(), BottomEdge(PicViewImage), PicViewImage->width(), hh);
  if (arrangement == Arrangement::Edit) {
    eb->setGeometry(RightEdge(vsbView), PicViewImage->y(), eb->width(), PicViewImage->height());
    eb->show();
  } else if (arrangement == Arrangement::BrowseMetadataShown) {
    eb->hide();
  }
}

// Edit mode and a hidden metadata pane give the view pane a place of its own above the panes
// that stay bound; beside the metadata pane the divider places it.
void MainWindow::PlaceViewPane(Arrangement arrangement) {
  switch (arrangement) {
    case Arrangement::Edit:
      splRight->setGeometry(0, 0, splMain->width(), splMain->height());
      splView->setGeometry(0, 0, splRight->width(), splRight->height());
      // Over the panes that stay bound: the browse pane, the folder list and the basket.
      splRight->raise();
      splView->raise();
      picView->setGeometry(0, 0, width(), height() - sbMain->height());
      picView->raise();
      break;
    case Arrangement::BrowseMetadataHidden:
      picView->setGeometry(0, 0, splView->width(), splView->height());
      picView->raise();
      break;
    case Arrangement::BrowseMetadataShown:
      break;
  }
}

// In the browse arrangements the rows break at the width the view has beside the metadata pane,
// so that the pane showing or hiding never moves the buttons or the image area below them.
int MainWindow::PreviewToolbarRowWidth(Arrangement arrangement) const {
  if (arrangement == Arrangement::Edit) return picView->width();
  return std::min(picView->width(), splView->Bar()->x());
}

// Places the toolbar's caption and buttons left to right, each at the width it needs, and starts
// a new row where the next one would not fit, so that every button shows whole in a narrow pane.
// Answers the toolbar's height.
int MainWindow::LayOutPreviewToolbar(int rowWidth) {
  int x = 0, y = 0;
  for (QWidget* item : previewToolbarItems_) {
    const QSize size =
        item->sizeHint().expandedTo(item->minimumSize()).boundedTo(item->maximumSize());
    if (x > 0 && x + size.width() > rowWidth) {
      x = 0;
      y += kToolbarHeight;
    }
    item->setGeometry(x, y + (kToolbarHeight - size.height()) / 2, size.width(), size.height());
    x += size.width();
  }
  picToolbarPreview->setGeometry(0, 0, picView->width(), y + kToolbarHeight);
  return picToolbarPreview->height();
}

void MainWindow::LayOutQueuePane() {
  const int w = PicQueue->width(), h = PicQueue->height();
  lblQueue->setGeometry(0, 0, w, lblQueue->height());
  lvPages->setGeometry(RightEdge(picLiveBar), picLiveBar->y() + 2, w - picLiveBar->width() - 12,
                       h - lblQueue->height() - 2);
}

void MainWindow::ShowImageState() {
  const bool loaded = plat::com::IsTrue(ImageBoxProxy(ibMain->Dispatch()).get_ImageLoaded());
  ibMain->setVisible(loaded);
  for (QPushButton* button : {CmdPreviewEdit, cmdPreviewPrint, cmdPreviewSave}) {
    button->setEnabled(loaded);
    if (loaded) button->repaint();
  }
}

void MainWindow::ShowZoom() {
  panels_.value(QStringLiteral("status"))
      ->setText(ZoomText(ImageBoxProxy(ibMain->Dispatch()).get_Zoom()));
}

void MainWindow::subShowMetadataPane(bool exif, bool iptc) {
  const bool leftBound = splView->LeftOrTopControl() != nullptr;
  const bool rightBound = splView->RightOrBottomControl() != nullptr;
  if ((exif || iptc) && !leftBound && !rightBound) {
    splView->SetLeftOrTopControl(picView);
    splView->SetRightOrBottomControl(PicMetadata);
  } else if (!exif && !iptc && leftBound && rightBound) {
    splView->SetLeftOrTopControl(nullptr);
    splView->SetRightOrBottomControl(nullptr);
  }
  subResize();
}

void MainWindow::tbsBrowse_Click() {
  picFileSystem->show();
  lvEdit->hide();
  picEditBar->hide();
  lblBrowse->setText(QStringLiteral("Browse File System"));
}

void MainWindow::ForwardImageEvent(int dispid, const QVariantList& args) {
  auto arg = [&](int i) { return args.value(i).toInt(); };
  switch (dispid) {
    case kMouseDown:
      emit ImageMouseDown(arg(0), arg(1), arg(2), arg(3));
      break;
    case kMouseMove:
      emit ImageMouseMove(arg(0), arg(1), arg(2));
      break;
    case kMouseUp:
      emit ImageMouseUp(arg(0), arg(1), arg(2), arg(3));
      break;
    default:
      break;
  }
}

void MainWindow::Form_Resize() {
  sbMain->setGeometry(0, height() - sbMain->sizeHint().height(), width(),
                      sbMain->sizeHint().height());
  subResize();
  if (!mbFirstResize) return;
  ftvBrowse->SetSelectedPath(gSetup.BrowseOptions.LastFolder);
  sbMain->show();
  mbFirstResize = false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize && !resizing_) subResize();
  return QWidget::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && !isMinimized()) subResize();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  subEnd();
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window != this && window->isVisible()) window->close();
  DeleteExtensionlessTempFiles();
  event->accept();
}

// ---------------------------------------------------------------------------------------------

QString TempFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1Char('/') +
         QLatin1String(kProgramFolder) + QStringLiteral("/temp");
}

void DeleteExtensionlessTempFiles() {
  QDir folder(TempFolder());
  for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden))
    if (!file.fileName().contains(QLatin1Char('.'))) QFile::remove(file.absoluteFilePath());
}

QString ZoomText(double zoom) {
  return QString::number(static_cast<int16_t>(std::nearbyint(zoom))) + QLatin1Char('%');
}

void CreateImageBox(plat::com::ControlHost* host) {
  try {
    host->SetControl(QString::fromLatin1(kImageBoxProgId));
  } catch (const plat::com::EOleException&) {
    if (!RegisterPictavoBeside()) throw;
    host->SetControl(QString::fromLatin1(kImageBoxProgId));
  }
}

QString InstanceLockPath() {
  return plat::InstanceLockPath(QLatin1String(kProgramFolder), QLatin1String(kProgramFolder));
}

bool fncTakeSingleInstance(QLockFile& lock) {
  if (lock.tryLock(0)) return true;
  const QString title = QCoreApplication::applicationName();
  Ui().Message(QStringLiteral("There is already an instance of ") + title +
                   QStringLiteral(" running!\r\nMultiple instance is unsupported."),
               title + QLatin1Char(' ') + QString::fromUtf8(version::kEdition), MessageIcon::Error);
  return false;
}

}  // namespace shell
