// ThreadSanitizer cannot see the synchronisation inside the system's Qt libraries, which are not built
// with it: a call queued to the control rig's window thread (QMetaObject::invokeMethod with a blocking
// or queued connection) and QThread::wait() order memory for real, but look unordered to it. These
// entries name only the rig's and the emulator's hand-overs through Qt; the job threads' own
// synchronisation (register flags, change signal, named mutexes, start gate) stays checked.

extern "C" const char* __tsan_default_suppressions() {
  return "race:driver::CControlRig::StartUp\n"
         "race:driver::CControlRig::WaitForFirstStatus\n"
         "race:driver::CControlRig::~CControlRig\n"
         "race:driver::CControlRig::RunOnWindowThread\n"
         "race:driver::CControlRig::FindEcr\n"
         "race:emulator::CEmulatorEngine::Emit\n"
         "race:driver::CQor::DataEvent\n"
         "race:QMetaObject::invokeMethodImpl\n"
         "race:QtPrivate::QFunctorSlotObject\n"
         "race:QCoreApplicationPrivate::sendPostedEvents\n"
         "race:QCoreApplication::postEvent\n"
         "race:QArrayData::reallocateUnaligned\n"
         "race:QWaitCondition::~QWaitCondition\n"
         "race:libglib-2.0.so\n";
}
