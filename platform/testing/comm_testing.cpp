// plat::test access to the comm backends.
#include <plat/test_comm.h>

#include "comm_port.h"

namespace plat::test {

VirtualPort::VirtualPort(std::shared_ptr<detail::VirtualDevice> device) : device_(std::move(device)) {}

void VirtualPort::Feed(std::string_view bytes) { device_->Feed(bytes, 0); }
void VirtualPort::Feed(std::string_view bytes, DWORD atTick) { device_->FeedAtTick(bytes, atTick); }
std::string VirtualPort::TakeOutput() { return device_->TakeOutput(); }
void VirtualPort::SetLines(DWORD msBits) { device_->SetLines(msBits); }
void VirtualPort::SetLines(DWORD msBits, DWORD atTick) { device_->SetLinesAtTick(msBits, atTick); }
void VirtualPort::HoldOutput(bool hold) { device_->HoldOutput(hold); }
void VirtualPort::FailOpens(int count, DWORD error) { device_->FailOpens(count, error); }
void VirtualPort::OnByte(std::function<void(unsigned char)> responder) { device_->OnByte(std::move(responder)); }
bool VirtualPort::IsOpen() const { return device_->IsOpen(); }
int VirtualPort::Opens() const { return device_->Opens(); }
int VirtualPort::OpenAttempts() const { return device_->OpenAttempts(); }
int VirtualPort::Closes() const { return device_->Closes(); }
bool VirtualPort::LastDcb(DCB* out) const { return device_->LastDcb(out); }
bool VirtualPort::LastTimeouts(COMMTIMEOUTS* out) const { return device_->LastTimeouts(out); }
std::vector<DWORD> VirtualPort::Purges() const { return device_->Purges(); }
std::vector<DWORD> VirtualPort::Masks() const { return device_->Masks(); }
size_t VirtualPort::InputQueued() const { return device_->InputQueued(); }

std::shared_ptr<VirtualPort> AttachVirtualPort(int comNumber) {
  auto device = detail::AttachVirtualDevice(comNumber);
  return device ? std::make_shared<VirtualPort>(std::move(device)) : nullptr;
}

void DetachVirtualPort(int comNumber) { detail::DetachVirtualDevice(comNumber); }

int CreatePtyPort(int comNumber) { return detail::CreatePtyPort(comNumber); }
bool ClosePtyMaster(int comNumber) { return detail::ClosePtyMaster(comNumber); }
bool LastAppliedTermios(int comNumber, struct termios* out) { return detail::LastAppliedTermios(comNumber, out); }

}  // namespace plat::test
