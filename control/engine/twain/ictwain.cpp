#include "control/engine/twain/ictwain.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cstring>

#include "platform/base/byte_cursor.h"
#include "platform/graphics/handles.h"

namespace pictavo {

using namespace plat::scan;

namespace {

constexpr char kCannotFind[] = "Cannot find Twain device";
constexpr char kCannotAcquire[] = "Error while acquiring image from Twain device";
constexpr char kCannotUnload[] = "Error while unloading Twain device";

constexpr int kMaxPixelType = 8;
constexpr int kMaxUnit = 5;

void CopyString(char (&field)[34], const std::string& text, size_t limit) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), limit));
}

TW_IDENTITY ApplicationIdentity() {
  TW_IDENTITY identity{};
  identity.Version.MajorNum = 1;
  identity.Version.MinorNum = 0;
  identity.Version.Language = TWLG_USERLOCALE;
  identity.Version.Country = TWCY_USA;
  CopyString(identity.Version.Info, "Application name", 33);
  identity.ProtocolMajor = 1;
  identity.ProtocolMinor = 9;
  identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  CopyString(identity.Manufacturer, "Application manufacturer", 33);
  CopyString(identity.ProductFamily, "App product family", 33);
  CopyString(identity.ProductName, "App product name", 33);
  return identity;
}

std::string LowerPrefix(const std::string& text, size_t count) {
  std::string prefix = text.substr(0, count);
  for (char& c : prefix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return prefix;
}

// Reads the bytes of a memory handle and frees it.
std::vector<uint8_t> TakeBlock(TW_HANDLE handle) {
  std::vector<uint8_t> bytes;
  if (const auto block = plat::MemoryOfHandle(handle)) bytes = *block;
  plat::FreeMemoryHandle(handle);
  return bytes;
}

}  // namespace

std::string TwainString(const char (&field)[34]) {
  return std::string(field, strnlen(field, sizeof field));
}

bool KeepsBitsOfWhiteFirstTable(const std::string& name) {
  return LowerPrefix(name, 5) == "xerox" || LowerPrefix(name, 8) == "documate" ||
         name.starts_with("AV") || name == "HP LaserJet 3150" ||
         LowerPrefix(name, 9) == "visioneer";
}

// The hidden window the manager posts the source's messages to.
class TicTwain::Window : public QObject {
 public:
  explicit Window(TicTwain& twain) : twain_(twain) {}
  bool event(QEvent* event) override {
    if (event->type() != TSourceMessage::Type()) return QObject::event(event);
    twain_.WindowProc(event);  // may free twain_ (and with it this window) before returning
    return true;
  }

 private:
  TicTwain& twain_;
};

TicTwain::TicTwain()
    : window_(std::make_unique<Window>(*this)),
      manager_(LoadSourceManager()),
      app_identity_(ApplicationIdentity()) {
  if (manager_) Control(DAT_PARENT, MSG_OPENDSM, static_cast<QObject*>(window_.get()));
  RefreshSources();
}

TicTwain::~TicTwain() {
  if (!manager_) return;
  try {
    if (source_open_) CloseSource();
  } catch (const ETwainError&) {
    // Going away regardless: a source that refuses to close cannot keep the manager open.
  }
  ResetCaches();
  Control(DAT_PARENT, MSG_CLOSEDSM, static_cast<QObject*>(window_.get()));
}

void TicTwain::Release(std::unique_ptr<TicTwain> twain) {
  if (!twain) return;
  twain->OnImageAcquired = twain->OnAcquireCancel = twain->OnAcquireFinish = nullptr;
  if (twain->dispatching_ > 0) {
    twain->release_pending_ = true;
    twain.release();  // WindowProc frees it when the running message is done
  }
}

uint16_t TicTwain::Call(TW_IDENTITY* destination, uint32_t group, uint16_t data_type,
                        uint16_t message, void* data) {
  return manager_->Entry(&app_identity_, destination, group, data_type, message, data);
}

uint16_t TicTwain::Control(uint16_t data_type, uint16_t message, void* data) {
  const bool to_manager = data_type == DAT_PARENT || data_type == DAT_IDENTITY;
  return Call(to_manager ? nullptr : &source_identity_, DG_CONTROL, data_type, message, data);
}

// --- sources ---

void TicTwain::RefreshSources() {
  if (selecting_) return;
  source_names_.clear();
  if (!manager_) return;
  TW_IDENTITY identity{};
  for (uint16_t message = MSG_GETFIRST; Control(DAT_IDENTITY, message, &identity) == TWRC_SUCCESS;
       message = MSG_GETNEXT)
    source_names_.push_back(TwainString(identity.ProductName));
}

std::string TicTwain::GetDeviceName(int index) const {
  if (index < 0 || index >= GetDeviceCount()) return {};
  return source_names_[static_cast<size_t>(index)];
}

bool TicTwain::FindSource(int index, TW_IDENTITY& identity) {
  if (Control(DAT_IDENTITY, MSG_GETFIRST, &identity) != TWRC_SUCCESS) return false;
  for (int i = 0; i < index; ++i)
    if (Control(DAT_IDENTITY, MSG_GETNEXT, &identity) != TWRC_SUCCESS) return false;
  return true;
}

bool TicTwain::SelectDevice() {
  if (selecting_ || !manager_) return false;
  selecting_ = true;
  struct ClearSelecting {
    bool& flag;
    ~ClearSelecting() { flag = false; }
  } clear{selecting_};
  TW_IDENTITY chosen{};
  if (Control(DAT_IDENTITY, MSG_USERSELECT, &chosen) != TWRC_SUCCESS || chosen.Id == 0)
    return false;
  TW_IDENTITY candidate{};
  int found = -1;
  for (int i = 0; i < GetDeviceCount() && found < 0; ++i) {
    const uint16_t message = i == 0 ? MSG_GETFIRST : MSG_GETNEXT;
    if (Control(DAT_IDENTITY, message, &candidate) != TWRC_SUCCESS) throw ETwainError(kCannotFind);
    if (std::memcmp(&candidate, &chosen, sizeof chosen) == 0) found = i;
  }
  if (found >= 0) SetCurrentDevice(found);
  SelectSourceByIndex();
  return found >= 0;
}

void TicTwain::SetCurrentDevice(int index) {
  if (index == device_index_ || source_enabled_) return;
  if (source_open_) CloseSource();
  device_index_ = index;
  SelectSourceByIndex();
}

void TicTwain::SelectSourceByIndex() {
  if (device_index_ == -1) {
    source_identity_.Id = 0;
    return;
  }
  if (!manager_ || !FindSource(device_index_, source_identity_)) throw ETwainError(kCannotFind);
}

void TicTwain::OpenSource() {
  if (!manager_ || source_open_ || device_index_ == -1 || selecting_) return;
  source_open_ = Control(DAT_IDENTITY, MSG_OPENDS, &source_identity_) == TWRC_SUCCESS;
}

void TicTwain::CloseSource() {
  ResetCaches();
  if (!manager_) return;
  if (Control(DAT_IDENTITY, MSG_CLOSEDS, &source_identity_) != TWRC_SUCCESS)
    throw ETwainError(kCannotUnload);
  source_open_ = false;
}

void TicTwain::SetAppName(const std::string& name) {
  CopyString(app_identity_.ProductName, name, 32);
}

std::string TicTwain::GetAppName() const {
  return TwainString(app_identity_.ProductName);
}

bool TicTwain::GetConnected() {
  OpenSource();
  return source_open_;
}

// --- capabilities ---

TCapReply TicTwain::GetCap(uint16_t cap) {
  OpenSource();
  if (!source_open_) return {};
  TW_CAPABILITY capability{cap, TWON_DONTCARE16, 0};
  const uint16_t rc = Control(DAT_CAPABILITY, MSG_GET, &capability);
  const auto block = TakeBlock(capability.hContainer);
  if (rc != TWRC_SUCCESS) return {};
  return ReadCapContainer(capability.ConType, block);
}

void TicTwain::SetCap(uint16_t cap, uint16_t item_type, uint32_t value) {
  OpenSource();
  if (!source_open_) return;
  TW_CAPABILITY capability{cap, TWON_ONEVALUE, plat::NewMemoryHandle(sizeof(TW_ONEVALUE))};
  const TW_ONEVALUE one{item_type, value};
  std::memcpy(plat::MemoryOfHandle(capability.hContainer)->data(), &one, sizeof one);
  Control(DAT_CAPABILITY, MSG_SET, &capability);
  plat::FreeMemoryHandle(capability.hContainer);
}

bool TicTwain::GetBool(uint16_t cap) {
  const TCapReply reply = GetCap(cap);
  return reply.ConType == TWON_ONEVALUE && reply.ItemType == TWTY_BOOL && reply.Items[0] == 1;
}

double TicTwain::GetFix32OneValue(uint16_t cap) {
  const TCapReply reply = GetCap(cap);
  if (reply.ConType != TWON_ONEVALUE || reply.ItemType != TWTY_FIX32) return -1;
  return Fix32ToDouble(reply.Items[0]);
}

bool TicTwain::GetADFLoaded() {
  return GetBool(CAP_FEEDERLOADED);
}

bool TicTwain::GetHasADF() {
  const TCapReply reply = GetCap(CAP_FEEDERENABLED);
  if (reply.ConType != TWON_ONEVALUE || reply.ItemType != TWTY_BOOL) return false;
  if (reply.Items[0] == 1) return true;
  if (reply.Items[0] != 0) return false;
  // A feeder that is merely off answers a switch-on; it is switched off again afterwards.
  SetCap(CAP_FEEDERENABLED, TWTY_BOOL, 1);
  if (!GetBool(CAP_FEEDERENABLED)) return false;
  SetCap(CAP_FEEDERENABLED, TWTY_BOOL, 0);
  return true;
}

bool TicTwain::GetUseADF() {
  return GetHasADF() && GetBool(CAP_AUTOFEED);
}

void TicTwain::SetUseADF(bool value) {
  SetCap(CAP_FEEDERENABLED, TWTY_BOOL, value);
  SetCap(CAP_AUTOFEED, TWTY_BOOL, value);
}

bool TicTwain::GetAutoBright() {
  return GetBool(ICAP_AUTOBRIGHT);
}
void TicTwain::SetAutoBright(bool value) {
  SetCap(ICAP_AUTOBRIGHT, TWTY_BOOL, value);
}
bool TicTwain::GetAutoDeskew() {
  return GetHasADF() && GetBool(ICAP_AUTOMATICDESKEW);
}
void TicTwain::SetAutoDeskew(bool value) {
  SetCap(ICAP_AUTOMATICDESKEW, TWTY_BOOL, value);
}
bool TicTwain::GetDuplexEnabled() {
  return GetBool(CAP_DUPLEXENABLED);
}
void TicTwain::SetDuplexEnabled(bool value) {
  SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, value);
}

int TicTwain::GetDuplexSupported() {
  const TCapReply reply = GetCap(CAP_DUPLEX);
  if (reply.ConType != TWON_ONEVALUE || reply.ItemType != TWTY_UINT16 || reply.Items[0] > 2)
    return 0;
  return static_cast<int>(reply.Items[0]);
}

bool TicTwain::GetCanDisableInterface() {
  return GetBool(CAP_UICONTROLLABLE);
}
double TicTwain::GetMaxWidth() {
  return GetFix32OneValue(ICAP_PHYSICALWIDTH);
}
double TicTwain::GetMaxHeight() {
  return GetFix32OneValue(ICAP_PHYSICALHEIGHT);
}

double TicTwain::GetThreshold() {
  const TCapReply reply = GetCap(ICAP_THRESHOLD);
  if (reply.ItemType != TWTY_FIX32) return -1;
  switch (reply.ConType) {
    case TWON_ONEVALUE:
      return Fix32ToDouble(reply.Items[0]);
    case TWON_RANGE:
      return Fix32ToDouble(reply.CurrentValue);
    case TWON_ENUMERATION:
      if (reply.CurrentIndex < reply.Items.size())
        return Fix32ToDouble(reply.Items[reply.CurrentIndex]);
      return -1;
    default:
      return -1;
  }
}

void TicTwain::SetThreshold(double value) {
  if (value < 0 || value > 255) return;
  SetCap(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWBR_THRESHOLD);
  SetCap(ICAP_THRESHOLD, TWTY_FIX32, DoubleToFix32(value));
}

// A list capability (pixel types, units): the current value, with the offered values and
// whether the source offered a choice kept in the cache; -1 when the reply says neither.
int TicTwain::ReadList(uint16_t cap, ListCache& cache, int limit) {
  cache = ListCache{};
  cache.offered.assign(static_cast<size_t>(limit) + 1, false);
  const TCapReply reply = GetCap(cap);
  if (reply.ConType == TWON_ENUMERATION && reply.ItemType == TWTY_UINT16 &&
      reply.CurrentIndex < reply.Items.size()) {
    const uint32_t current = reply.Items[reply.CurrentIndex];
    if (current > static_cast<uint32_t>(limit)) return -1;
    cache.filled = cache.choice = true;
    for (const uint32_t item : reply.Items)
      if (item <= static_cast<uint32_t>(limit)) cache.offered[item] = true;
    return static_cast<int>(current);
  }
  if (reply.ConType == TWON_ONEVALUE &&
      (reply.ItemType == TWTY_UINT16 || reply.ItemType == TWTY_INT16)) {
    const uint32_t value = reply.Items[0] & 0xFFFF;
    if (value > static_cast<uint32_t>(limit)) return -1;
    cache.filled = true;
    cache.offered[value] = true;
    return static_cast<int>(value);
  }
  return -1;
}

bool TicTwain::ListAllowed(ListCache& cache, uint16_t cap, int limit, int value) {
  if (device_index_ == -1) return false;
  if (!cache.filled) ReadList(cap, cache, limit);
  return cache.filled && value >= 0 && value <= limit && cache.offered[static_cast<size_t>(value)];
}

int TicTwain::GetPixelType() {
  return ReadList(ICAP_PIXELTYPE, pixel_types_, kMaxPixelType);
}
bool TicTwain::GetPixelTypeAllowed(int type) {
  return ListAllowed(pixel_types_, ICAP_PIXELTYPE, kMaxPixelType, type);
}
void TicTwain::SetPixelType(int type) {
  if (!pixel_types_.filled) GetPixelType();
  if (pixel_types_.choice) SetCap(ICAP_PIXELTYPE, TWTY_UINT16, static_cast<uint16_t>(type));
}

int TicTwain::GetUnits() {
  ranges_[rcXResolution] = ranges_[rcYResolution] = RangeCache{};
  const int unit = ReadList(ICAP_UNITS, units_, kMaxUnit);
  return unit < 0 ? 0 : unit;
}
bool TicTwain::GetUnitsAllowed(int unit) {
  return ListAllowed(units_, ICAP_UNITS, kMaxUnit, unit);
}
void TicTwain::SetUnits(int unit) {
  if (!units_.filled) GetUnits();
  if (units_.choice) SetCap(ICAP_UNITS, TWTY_UINT16, static_cast<uint16_t>(unit));
  ranges_[rcXResolution] = ranges_[rcYResolution] = RangeCache{};
}

void TicTwain::ClearPage() {
  SetCap(CAP_CLEARPAGE, TWTY_BOOL, 1);
}

// --- cached ranges ---

namespace {

constexpr uint16_t kRangeCaps[] = {ICAP_BRIGHTNESS, ICAP_CONTRAST, ICAP_XRESOLUTION,
                                   ICAP_YRESOLUTION};

}  // namespace

void TicTwain::ReadRange(TRangeCap cap) {
  RangeCache& cache = ranges_[cap];
  cache = RangeCache{};
  const TCapReply reply = GetCap(kRangeCaps[cap]);
  if (reply.ItemType != TWTY_FIX32) return;
  double* v = cache.values;
  if (reply.ConType == TWON_ENUMERATION && !reply.Items.empty() &&
      reply.CurrentIndex < reply.Items.size()) {
    v[rvMin] = Fix32ToDouble(reply.Items.front());
    v[rvMax] = Fix32ToDouble(reply.Items.back());
    v[rvCurrent] = Fix32ToDouble(reply.Items[reply.CurrentIndex]);
    cache.filled = cache.choice = true;
  } else if (reply.ConType == TWON_ONEVALUE) {
    v[rvMin] = v[rvMax] = v[rvCurrent] = Fix32ToDouble(reply.Items[0]);
    cache.filled = true;
  } else if (reply.ConType == TWON_RANGE) {
    v[rvMin] = Fix32ToDouble(reply.MinValue);
    v[rvMax] = Fix32ToDouble(reply.MaxValue);
    v[rvStep] = Fix32ToDouble(reply.StepSize);
    v[rvCurrent] = Fix32ToDouble(reply.CurrentValue);
    cache.filled = cache.choice = true;
  }
}

double TicTwain::GetRange(TRangeCap cap, TRangeValue which) {
  OpenSource();
  if (source_open_ && !ranges_[cap].filled) {
    if (cap == rcXResolution || cap == rcYResolution) {
      // Read together, X first; Y's flags do not decide when they are read again.
      ReadRange(rcXResolution);
      const RangeCache x_flags = ranges_[rcXResolution];
      ReadRange(rcYResolution);
      ranges_[rcYResolution].filled = x_flags.filled;
      ranges_[rcYResolution].choice = x_flags.choice;
    } else {
      ReadRange(cap);
    }
  }
  return ranges_[cap].values[which];
}

void TicTwain::SetRange(TRangeCap cap, double value) {
  GetRange(cap, rvCurrent);
  const RangeCache& cache = ranges_[cap];
  if (!cache.choice || value < cache.values[rvMin] || value > cache.values[rvMax]) return;
  SetCap(kRangeCaps[cap], TWTY_FIX32, DoubleToFix32(value));
  ranges_[cap].filled = false;
  GetRange(cap, rvCurrent);
}

void TicTwain::SetResolution(double value) {
  SetRange(rcXResolution, value);
  SetRange(rcYResolution, value);
}

void TicTwain::ResetCaches() {
  pixel_types_ = ListCache{};
  units_ = ListCache{};
  for (RangeCache& cache : ranges_) cache = RangeCache{};
}

// --- layout ---

bool TicTwain::ReadLayout() {
  OpenSource();
  if (!source_open_) return false;
  return Call(&source_identity_, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout_) == TWRC_SUCCESS;
}

void TicTwain::WriteLayout() {
  SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_NONE);
  Call(&source_identity_, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout_);
}

namespace {

TW_FIX32& EdgeOf(TW_FRAME& frame, TicTwain::TEdge edge) {
  TW_FIX32* edges[] = {&frame.Left, &frame.Top, &frame.Right, &frame.Bottom};
  return *edges[edge];
}

TW_FIX32 Fix32(double value) {
  const uint32_t packed = DoubleToFix32(value);
  return {static_cast<int16_t>(packed & 0xFFFF), static_cast<uint16_t>(packed >> 16)};
}

double Value(const TW_FIX32& fix) {
  return Fix32ToDouble(static_cast<uint16_t>(fix.Whole) | (uint32_t{fix.Frac} << 16));
}

}  // namespace

double TicTwain::GetEdge(TEdge edge) {
  if (!ReadLayout()) return 0;
  return Value(EdgeOf(layout_.Frame, edge));
}

void TicTwain::SetEdge(TEdge edge, double value) {
  if (!ReadLayout()) return;
  EdgeOf(layout_.Frame, edge) = Fix32(value);
  WriteLayout();
}

void TicTwain::SetLayout(double left, double right, double top, double bottom) {
  if (right <= left || bottom <= top) return;
  OpenSource();
  if (!source_open_) return;
  layout_.Frame = {Fix32(left), Fix32(top), Fix32(right), Fix32(bottom)};
  WriteLayout();
}

// --- acquisition ---

const TicBitmap* TicTwain::AcquiredImage() const {
  return image_.get();
}

void TicTwain::SetImageIndex(int n) {
  const int count = image_ ? 1 : 0;
  image_index_ = n <= 0 ? 1 : std::min(n, std::max(count, 1));
}

void TicTwain::ActivateRemembered() {
  if (remembered_window_) remembered_window_->activateWindow();
}

void TicTwain::Acquire() {
  OpenSource();
  if (!source_open_) {
    finished_ = true;
    // Without the manager's library scanning is simply not there; with it, an acquisition that
    // cannot start must not look like one that brought nothing.
    if (manager_) throw ETwainError(kCannotFind);
    return;
  }
  image_.reset();
  page_count_ = 0;
  finished_ = false;
  const TW_BOOL show = ShowInterface ? 0xFFFF : 0;
  remembered_window_ = QApplication::activeWindow();
  user_interface_ = {show, show, remembered_window_};
  if (show == 0 && !ShowProgress) SetCap(CAP_INDICATORS, TWTY_BOOL, 0);
  SetCap(ICAP_PIXELFLAVOR, TWTY_UINT16, TWPF_CHOCOLATE);
  source_enabled_ = true;
  if (Control(DAT_USERINTERFACE, MSG_ENABLEDS, &user_interface_) != TWRC_SUCCESS) {
    Control(DAT_USERINTERFACE, MSG_DISABLEDS, &user_interface_);
    source_enabled_ = false;
    finished_ = true;
    try {
      CloseSource();
    } catch (const ETwainError&) {
      // The refused start is what the caller needs to hear about.
    }
    ActivateRemembered();
    throw ETwainError(kCannotAcquire);
  }
}

void TicTwain::WindowProc(QEvent* event) {
  if (!manager_ || !source_enabled_) return;
  ++dispatching_;
  TW_EVENT tw_event{event, MSG_NULL};
  Control(DAT_EVENT, MSG_PROCESSEVENT, &tw_event);
  if (tw_event.TWMessage == MSG_XFERREADY)
    TransferImages();
  else if (tw_event.TWMessage == MSG_CLOSEDSREQ)
    HandleCloseRequest();
  if (--dispatching_ == 0 && release_pending_) delete this;
}

void TicTwain::Notify(const Callback& callback) {
  // A copy, because the callback may release this object and with it the callback itself.
  if (const Callback copy = callback) copy(*this);
}

void TicTwain::EndAcquisition() {
  Control(DAT_USERINTERFACE, MSG_DISABLEDS, &user_interface_);
  try {
    CloseSource();
  } catch (const ETwainError&) {
    if (!release_pending_) {
      source_enabled_ = false;
      finished_ = true;
      throw;
    }
  }
  source_enabled_ = false;
  finished_ = true;
}

void TicTwain::HandleCloseRequest() {
  EndAcquisition();
  Notify(OnAcquireFinish);
  Notify(OnAcquireCancel);
  ActivateRemembered();
}

bool TicTwain::TransferOne() {
  TW_HANDLE handle = 0;
  const uint16_t rc = Call(&source_identity_, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
  if (rc == TWRC_XFERDONE) return TransferNativeImage(handle);
  plat::FreeMemoryHandle(handle);
  return false;
}

void TicTwain::TransferImages() {
  TW_PENDINGXFERS pending{};
  bool succeeded = false;
  if (MultiImage) {
    do {
      succeeded = TransferOne();
      if (succeeded) {
        ++page_count_;
        Notify(OnImageAcquired);
      }
      Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    } while (pending.Count != 0 && (images_to_read_ == 0 || page_count_ < images_to_read_));
    Notify(OnAcquireFinish);
  } else {
    succeeded = TransferOne();
    if (succeeded) {
      page_count_ = 1;
      Notify(OnImageAcquired);
    }
    Notify(OnAcquireFinish);
    Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
  }
  Control(DAT_PENDINGXFERS, MSG_RESET, &pending);
  if (GetUseADF()) ClearPage();
  EndAcquisition();
  if (!succeeded) Notify(OnAcquireCancel);
  ActivateRemembered();
}

namespace {

// Where the colour table of a packed DIB starts and what its first two entries are, when the
// block holds them: only 1-bit white-first tables need a decision of ours.
bool HasWhiteFirstOneBitTable(const std::vector<uint8_t>& block, bool& white_black) {
  struct Short {};
  plat::TByteCursor cursor(
      block, [](std::string_view) -> void { throw Short{}; }, false);
  try {
    const uint32_t header_size = cursor.DWordAt(0);
    if (cursor.WordAt(14) != 1) return false;
    const uint32_t first = cursor.DWordAt(header_size);
    const uint32_t second = cursor.DWordAt(uint64_t{header_size} + 4);
    if (((first >> 16) & 0xFF) != 255) return false;
    white_black = (first & 0xFFFFFF) == 0xFFFFFF && (second & 0xFFFFFF) == 0;
    return true;
  } catch (const Short&) {
    return false;
  }
}

void InvertBits(TicBitmap& image) {
  const int64_t bytes = (int64_t{image.Width()} + 7) / 8;
  for (int y = 0; y < image.Height(); ++y) {
    uint8_t* row = image.ScanLine(y);
    for (int64_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
  }
}

}  // namespace

bool TicTwain::TransferNativeImage(TW_HANDLE handle) {
  const std::vector<uint8_t> block = TakeBlock(handle);
  auto image = ImageOfPackedDib(block.data(), static_cast<int64_t>(block.size()));
  if (!image) return false;
  bool white_black = false;
  if (HasWhiteFirstOneBitTable(block, white_black) &&
      KeepsBitsOfWhiteFirstTable(TwainString(source_identity_.ProductName))) {
    // These scanners mean 0 = black whatever their table says: the delivered bits stand.
    if (white_black) InvertBits(*image);
    image->SetColorTable({plat::TRGBQuad{0, 0, 0, 0}, plat::TRGBQuad{255, 255, 255, 0}});
    image->UpdateColorFormat();
  }
  image_ = std::move(image);
  return true;
}

}  // namespace pictavo
