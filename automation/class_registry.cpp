#include "automation/class_registry.h"

#include "automation/file_system_object.h"
#include "platform/case_fold.h"
#include "platform/failure.h"

namespace schreiber::automation {
namespace {

[[noreturn]] void cannot_create(const std::string& class_name) {
  platform::raise_failure(platform::kCannotCreateObject, class_name);
}

}  // namespace

void ClassRegistry::serve(const std::string& class_name, Factory create, Factory attach) {
  backends_[platform::fold_case(class_name)] = Backend{std::move(create), std::move(attach)};
}

const ClassRegistry::Backend* ClassRegistry::find(const std::string& class_name) const {
  const auto found = backends_.find(platform::fold_case(class_name));
  return found == backends_.end() ? nullptr : &found->second;
}

std::shared_ptr<Object> ClassRegistry::CreateObject(const std::string& class_name) {
  const Backend* backend = find(class_name);
  if (backend == nullptr || !backend->create) cannot_create(class_name);
  return backend->create();
}

std::shared_ptr<Object> ClassRegistry::GetObject(const std::string& class_name) {
  const Backend* backend = find(class_name);
  if (backend == nullptr || !backend->attach) cannot_create(class_name);
  return backend->attach();
}

std::unique_ptr<Automation> make_default_automation() {
  static const platform::SystemClock machine_clock;
  return make_default_automation(machine_clock);
}

void ClassRegistry::Name(const std::filesystem::path& from, const std::filesystem::path& to) {
  rename_without_replacing(from, to);
}

}  // namespace schreiber::automation
