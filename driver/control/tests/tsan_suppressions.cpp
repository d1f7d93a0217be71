// ThreadSanitizer cannot see the synchronisation inside the system's Qt libraries, which are not built
// with it: a call queued to the window thread (QMetaObject::invokeMethod, queued or blocking) orders
// memory for real but looks unordered to it. These entries name only the hand-overs through Qt (CQor's
// queued events, the follow-up messages, the rig's window-thread calls); the register flags, the
// change signal, the emulator's own locks and CQor's reply hand-over stay checked.

extern "C" const char* __tsan_default_suppressions() {
  return "race:driver::CControlRig::StartUp\n"
         "race:driver::CControlRig::WaitForFirstStatus\n"
         "race:driver::CControlRig::~CControlRig\n"
         "race:driver::CControlRig::RunOnWindowThread\n"
         "race:driver::CControlRig::FindEcr\n"
         "race:emulator::CEmulatorEngine::Emit\n"
         "race:QtPrivate::QFunctorSlotObject\n"
         "race:QMetaObject::invokeMethodImpl\n"
         "race:QCoreApplicationPrivate::sendPostedEvents\n"
         "race:QCoreApplication::postEvent\n"
         "race:QArrayData::reallocateUnaligned\n"
         "race:QWaitCondition::~QWaitCondition\n"
         "race:libglib-2.0.so\n";
}
