// The Win32 side of the sound check: the active render endpoints of Core
// Audio (MMDevAPI) and their peak meters, on the window's thread.
#pragma once

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <atomic>
#include <vector>

#include "monitor/sound_playing.h"

// This MinGW declares the endpoint's peak meter but does not define it; the
// layout is Microsoft's (endpointvolume.h).
#ifndef __IAudioMeterInformation_INTERFACE_DEFINED__
#define __IAudioMeterInformation_INTERFACE_DEFINED__
MIDL_INTERFACE("C02216F6-8C67-4B5B-9D00-D008E73E0064")
IAudioMeterInformation : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPeakValue(float* pfPeak) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMeteringChannelCount(UINT* pnChannelCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChannelsPeakValues(UINT32 u32ChannelCount, float* afPeakValues) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD* pdwHardwareSupportMask) = 0;
};
__CRT_UUID_DECL(IAudioMeterInformation, 0xc02216f6, 0x8c67, 0x4b5b, 0x9d, 0x00, 0xd0, 0x08, 0xe7, 0x3e, 0x00, 0x64)
#endif

namespace sopora {

class Win32AudioOutputs : public AudioOutputs {
 public:
  Win32AudioOutputs() = default;
  Win32AudioOutputs(const Win32AudioOutputs&) = delete;
  Win32AudioOutputs& operator=(const Win32AudioOutputs&) = delete;
  // Stops listening to Windows, releases every Core Audio object, then COM.
  ~Win32AudioOutputs() override;

  std::uint32_t Open() override;
  bool Changed() override;
  std::optional<std::size_t> Enumerate() override;
  std::optional<float> PeakValue(std::size_t index) override;

 private:
  // Told by Windows, on a thread of its own, that endpoints came or went.
  // It lives as long as its owner, which unregisters it before it goes.
  class EndpointWatch final : public IMMNotificationClient {
   public:
    std::atomic<bool> changed{false};
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return Mark(); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return Mark(); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return Mark(); }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

   private:
    HRESULT Mark() {
      changed = true;
      return S_OK;
    }
  };

  bool m_comInitialised = false;
  Microsoft::WRL::ComPtr<IMMDeviceEnumerator> m_enumerator;
  EndpointWatch m_watch;
  bool m_watching = false;
  std::vector<Microsoft::WRL::ComPtr<IAudioMeterInformation>> m_meters;
};

}  // namespace sopora
