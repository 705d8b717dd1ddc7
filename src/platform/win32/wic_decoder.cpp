#include "platform/win32/wic_decoder.h"

#include <windows.h>

// The WIC class and format identifiers are defined here, not in a library.
#include <initguid.h>
#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/runtime_error.h"

namespace lightmatrix {

namespace {

// Holds one COM interface pointer and releases it.
template <typename Interface>
class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    Interface** put() { return &pointer_; }
    void** putVoid() { return reinterpret_cast<void**>(&pointer_); }

  private:
    Interface* pointer_ = nullptr;
};

// COM for the time of one load, on the window's thread.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

  private:
    HRESULT result_;
};

// A path from the program's logic as UTF-16 for the wide Win32 calls. A path
// that is not valid UTF-8 is read in the system's ANSI code page instead.
std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    UINT codePage = CP_UTF8;
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length == 0) {
        codePage = CP_ACP;
        length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    raise(ErrorKind::CannotLoadPicture, path + ": " + why);
}

// The first frame of the file, decoded, with COM kept for as long as it is.
struct Frame {
    ComApartment apartment;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;

    explicit Frame(const std::string& path) {
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, factory.putVoid())))
            refuse(path, "the Windows Imaging Component is not available");
        const std::wstring widePath = widen(path);
        if (FAILED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand,
                                                      decoder.put())))
            refuse(path, "no such file, or not a picture");
        if (FAILED(decoder->GetFrame(0, frame.put()))) refuse(path, "the picture has no frame");
        if (FAILED(frame->GetSize(&width, &height))) refuse(path, "the picture has no size");
    }
};

}  // namespace

PixelSize WicDecoder::measure(const std::string& path) {
    const Frame frame(path);
    return {static_cast<Int32>(std::min<UINT>(frame.width, INT32_MAX)),
            static_cast<Int32>(std::min<UINT>(frame.height, INT32_MAX))};
}

// Straight BGRA, which every WIC converter offers, with red and blue swapped.
RgbaPicture WicDecoder::decode(const std::string& path) {
    Frame frame(path);
    ComRef<IWICFormatConverter> converter;
    if (FAILED(frame.factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.frame.get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        refuse(path, "the picture's pixels cannot be converted");

    // The caller has measured the picture and kept its size within bounds.
    RgbaPicture picture{static_cast<Int32>(frame.width), static_cast<Int32>(frame.height), {}};
    picture.rgba.resize(static_cast<std::size_t>(frame.width) * frame.height * 4);
    if (FAILED(converter->CopyPixels(nullptr, frame.width * 4,
                                     static_cast<UINT>(picture.rgba.size()), picture.rgba.data())))
        refuse(path, "the picture cannot be decoded");
    for (std::size_t i = 0; i < picture.rgba.size(); i += 4)
        std::swap(picture.rgba[i], picture.rgba[i + 2]);
    return picture;
}

}  // namespace lightmatrix
