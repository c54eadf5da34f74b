#include "monitor/core_audio_win.h"

namespace sopora {

using Microsoft::WRL::ComPtr;

HRESULT Win32AudioOutputs::EndpointWatch::QueryInterface(REFIID iid, void** object) {
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
    *object = static_cast<IMMNotificationClient*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

Win32AudioOutputs::~Win32AudioOutputs() {
  m_meters.clear();
  if (m_watching) m_enumerator->UnregisterEndpointNotificationCallback(&m_watch);
  m_enumerator.Reset();
  if (m_comInitialised) CoUninitialize();
}

std::uint32_t Win32AudioOutputs::Open() {
  HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  m_comInitialised = SUCCEEDED(result);  // S_FALSE too: each success is undone once
  // Already initialised in the other model by someone else: usable as it is.
  if (FAILED(result) && result != RPC_E_CHANGED_MODE) return static_cast<std::uint32_t>(result);
  result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_enumerator));
  if (FAILED(result)) return static_cast<std::uint32_t>(result);
  // Without notifications, outputs are looked for again only when one fails.
  m_watching = SUCCEEDED(m_enumerator->RegisterEndpointNotificationCallback(&m_watch));
  return 0;
}

bool Win32AudioOutputs::Changed() { return m_watch.changed.exchange(false); }

std::optional<std::size_t> Win32AudioOutputs::Enumerate() {
  m_meters.clear();
  ComPtr<IMMDeviceCollection> endpoints;
  UINT count = 0;
  if (FAILED(m_enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, &endpoints)) ||
      FAILED(endpoints->GetCount(&count))) {
    return std::nullopt;
  }
  for (UINT i = 0; i < count; ++i) {
    ComPtr<IMMDevice> endpoint;
    ComPtr<IAudioMeterInformation> meter;
    // An endpoint without a meter (Wine has none) cannot be heard here.
    if (SUCCEEDED(endpoints->Item(i, &endpoint)) &&
        SUCCEEDED(endpoint->Activate(__uuidof(IAudioMeterInformation), CLSCTX_INPROC_SERVER, nullptr,
                                     reinterpret_cast<void**>(meter.GetAddressOf())))) {
      m_meters.push_back(std::move(meter));
    }
  }
  return m_meters.size();
}

std::optional<float> Win32AudioOutputs::PeakValue(std::size_t index) {
  float peak = 0;
  if (index >= m_meters.size() || FAILED(m_meters[index]->GetPeakValue(&peak))) return std::nullopt;
  return peak;
}

}  // namespace sopora
