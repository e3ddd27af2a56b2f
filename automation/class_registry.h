#pragma once
// The one place that decides which backend serves a class name: every class the program
// asks for is registered here with how to create an instance and how to attach to a
// running one. Class names compare without regard to case, as program ids do.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "automation/automation.h"
#include "platform/clock.h"

namespace schreiber::automation {

class ClassRegistry : public Automation {
 public:
  using Factory = std::function<std::shared_ptr<Object>()>;

  // `attach` may be empty: the class then has no running instance to attach to.
  void serve(const std::string& class_name, Factory create, Factory attach);

  std::shared_ptr<Object> CreateObject(const std::string& class_name) override;
  std::shared_ptr<Object> GetObject(const std::string& class_name) override;
  void Name(const std::filesystem::path& from, const std::filesystem::path& to) override;

 private:
  struct Backend {
    Factory create;
    Factory attach;
  };
  const Backend* find(const std::string& class_name) const;

  std::map<std::string, Backend> backends_;
};

// The backends of this build: "Excel.Application" by the embedded workbook engine,
// "Scripting.FileSystemObject" by the local file system. `clock` (the machine's when not
// given) outlives what is made.
std::unique_ptr<Automation> make_default_automation(const platform::Clock& clock);
std::unique_ptr<Automation> make_default_automation();

}  // namespace schreiber::automation
