#include "platform/graphics/picture.h"

#include "platform/com/object.h"
#include "platform/graphics/bitmap.h"

namespace plat::com {

const MemberTable& IPictureDispMembers::Table() {
  using TableInterface = IPictureDispMembers;
  static const MemberTable table(IPictureDisp::kIid, u"IPictureDisp",
                                 {
#define VELMORA_MEMBER VELMORA_TABLE_ENTRY
#include "platform/graphics/picture_members.inc"
#undef VELMORA_MEMBER
                                 });
  return table;
}

namespace {

class BitmapPicture final
    : public ComObject<BitmapPicture, IPicture, DispatchImpl<IPictureDispMembers>> {
 public:
  BitmapPicture(THandle bitmap, bool owns) : bitmap_(bitmap), owns_(owns) {}
  ~BitmapPicture() {
    if (owns_ && bitmap_ != 0) DeleteBitmapHandle(bitmap_);
  }

  HRESULT get_Handle(int32_t* Value) override {
    return Answer(Value, static_cast<int32_t>(bitmap_));
  }
  HRESULT get_hPal(int32_t* Value) override { return Answer(Value, 0); }
  HRESULT get_Type(int16_t* Value) override { return Answer(Value, PICTYPE_BITMAP); }
  HRESULT get_Width(int32_t* Value) override {
    std::shared_ptr<TBitmap> bitmap = BitmapOfHandle(bitmap_);
    return Answer(Value, bitmap ? PixelsToHimetric(bitmap->Width()) : 0);
  }
  HRESULT get_Height(int32_t* Value) override {
    std::shared_ptr<TBitmap> bitmap = BitmapOfHandle(bitmap_);
    return Answer(Value, bitmap ? PixelsToHimetric(bitmap->Height()) : 0);
  }
  HRESULT Render(void*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                 const void*) override {
    return E_NOTIMPL;
  }
  HRESULT set_hPal(int32_t) override { return E_NOTIMPL; }
  HRESULT get_CurDC(void** dc) override { return Answer(dc, nullptr); }
  HRESULT SelectPicture(void*, void**, int32_t*) override { return E_NOTIMPL; }
  HRESULT get_KeepOriginalFormat(int32_t* keep) override { return Answer(keep, 0); }
  HRESULT put_KeepOriginalFormat(int32_t) override { return S_OK; }
  HRESULT PictureChanged() override { return S_OK; }
  HRESULT SaveAsFile(void*, int32_t, int32_t*) override { return E_NOTIMPL; }
  HRESULT get_Attributes(uint32_t* attributes) override { return Answer(attributes, 0u); }

 private:
  template <class T, class V>
  static HRESULT Answer(T* out, V value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
  }

  THandle bitmap_;
  bool owns_;
};

}  // namespace

}  // namespace plat::com

namespace plat {

com::ComPtr<com::IPicture> CreateBitmapPicture(THandle bitmap, bool owns) {
  return com::ComPtr<com::IPicture>(com::MakeObject<com::BitmapPicture>(bitmap, owns).Get());
}

}  // namespace plat
