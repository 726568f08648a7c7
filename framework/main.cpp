// Entry point: builds the component chosen at build time and runs it.
#include <cstdio>

#include "framework/Interrupts.h"

#if defined(FWPACK_COMPONENT_EMULEX)
#include "components/emulex/EmulexComponent.h"
using SelectedComponent = EmulexComp::CComponent;
#elif defined(FWPACK_COMPONENT_BROCADE)
#include "components/brocade/BrocadeComponent.h"
using SelectedComponent = BrocadeComp::CComponent;
#else
#include "components/qlogic/QLogicComponent.h"
using SelectedComponent = QLogicComp::CComponent;
#endif

int main(int argc, char** argv) {
  Interrupts::Install();
  SelectedComponent* component = new SelectedComponent();
  int exit_code;
  switch (component->ParseCommandLine(argc, argv)) {
    case 0:
      std::fputs("ERROR! : Failed to parse command line\n", stdout);
      exit_code = 7;
      break;
    case 2:
      exit_code = 3;
      break;
    default:
      exit_code = component->Run();
      break;
  }
  delete component;
  // Only the low 8 bits reach the update manager; a result outside them
  // could read as another code (256 as 0), so it is reported as a failure.
  if (exit_code < 0 || exit_code > 255) exit_code = 7;
  return exit_code;
}
