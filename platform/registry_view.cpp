#include "platform/registry_view.h"

#include "platform/wow64.h"

namespace qm::platform {

RegistryViewGuard::RegistryViewGuard(RegistryView& current, bool target_64_bit)
    : current_(current), wow64_(is_wow64_process()) {
  if (!wow64_)
    current_ = RegistryView::kDefault;
  else
    current_ = target_64_bit ? RegistryView::k64 : RegistryView::k32;
}

RegistryViewGuard::~RegistryViewGuard() { current_ = wow64_ ? RegistryView::k32 : RegistryView::kDefault; }

}  // namespace qm::platform
