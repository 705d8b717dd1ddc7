#include "platform/win32/wic_picture_file.h"

#include <windows.h>

// The WIC class and format identifiers are defined here, not in a library.
#include <initguid.h>
#include <objbase.h>
#include <wincodec.h>

#include <cstdint>
#include <vector>

#include "common/runtime_error.h"
#include "platform/picture_panel.h"

namespace lightmatrix::win32 {

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

// Premultiplied BGRA over an opaque background, to a colour value.
Colour over(const std::uint8_t* bgra, Colour background) {
    const unsigned alpha = bgra[3];
    const auto channel = [&](unsigned premultiplied, int back) {
        return static_cast<int>(premultiplied +
                                (static_cast<unsigned>(back) * (255u - alpha) + 127u) / 255u);
    };
    return rgb(channel(bgra[2], redOf(background)), channel(bgra[1], greenOf(background)),
               channel(bgra[0], blueOf(background)));
}

}  // namespace

Raster loadPictureWithWic(const std::string& path, Colour background) {
    const ComApartment apartment;
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.putVoid())))
        refuse(path, "the Windows Imaging Component is not available");

    ComRef<IWICBitmapDecoder> decoder;
    const std::wstring widePath = widen(path);
    if (FAILED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.put())))
        refuse(path, "no such file, or not a picture");
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) refuse(path, "the picture has no frame");

    UINT width = 0;
    UINT height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0)
        refuse(path, "the picture has no size");
    const auto pixelCount = static_cast<std::int64_t>(width) * static_cast<std::int64_t>(height);
    if (pixelCount > kMaxPicturePixels)
        refuse(path, "the picture has more than " + std::to_string(kMaxPicturePixels) + " pixels");

    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        refuse(path, "the picture's pixels cannot be converted");

    const UINT stride = width * 4;  // at most 4 * kMaxPicturePixels: fits
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(pixelCount) * 4);
    if (FAILED(converter->CopyPixels(nullptr, stride, static_cast<UINT>(bgra.size()), bgra.data())))
        refuse(path, "the picture cannot be decoded");

    Raster picture(static_cast<Int32>(width), static_cast<Int32>(height), background);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = over(&bgra[i * 4], background);
    return picture;
}

}  // namespace lightmatrix::win32
