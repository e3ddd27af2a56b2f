#include "app/program.h"

#include "automation/class_registry.h"
#include "comm/system_comm.h"
#include "platform/regional.h"

namespace schreiber::app {

Program::Program(window::View& view, ProgramOptions options)
    : comm_(comm::make_system_comm(options.folder)),
      seriell_(*comm_),
      clock_(options.clock ? *options.clock : system_clock_),
      automation_(automation::make_default_automation(clock_)),
      module1_(convert::Module1Context{view, *automation_, files_, clock_,
                                       platform::Regional::from_system(), options.folder,
                                       platform::ProgramEnd(options.end_program)}),
      form_(window::Form2Context{
          view, seriell_, module1_, files_, platform::Regional::from_system(), options.folder,
          platform::ProgramEnd(options.end_program), options.read_timeout_ms}) {
  // A download waits for the line inside the start button's handler for minutes: the
  // window keeps answering its desktop meanwhile.
  comm_->set_wait_hook([&view] { view.keep_alive(); });
}

}  // namespace schreiber::app
