#pragma once
// A real ext4 file system in an image file, loop-mounted on a folder, whose power can be cut. The image
// file is the disk: at a cut the mounted file system is replaced by a checked copy of what the image
// held, so whatever the kernel had not yet written to it is lost, as in a power failure. While the disk
// exists the kernel writes nothing back on its own (no periodic write-back, no expiry, journal commits
// every 600 s): only what a program flushed, and what a journal commit took along, is on the disk.
// Needs root, a loop device, a writable /proc/sys/vm, mkfs.ext4 and e2fsck; Ready() says why not.

#include <string>

#include "testsupport/temp_folder.h"

namespace endtoend {

class CCutDisk {
 public:
  // Makes a fresh file system and mounts it on mountPoint, an existing empty folder.
  explicit CCutDisk(std::string mountPoint);
  // Unmounts it and puts the kernel's write-back settings back, whatever happened meanwhile.
  ~CCutDisk();
  CCutDisk(const CCutDisk&) = delete;
  CCutDisk& operator=(const CCutDisk&) = delete;

  bool Ready() const { return m_Mounted; }
  const std::string& Reason() const { return m_Reason; }

  // Writes everything written so far to the disk.
  bool Flush();
  // The power cut; every program writing to the file system must have ended. False, with the reason in
  // note, when the disk could not be put back; a complaint of e2fsck's about the copy goes into note too.
  bool Cut(std::string& note);

 private:
  bool TakeTurn();
  bool HoldWriteBack();
  void RestoreWriteBack();
  bool Mount(const std::string& image, std::string& error);

  std::string m_MountPoint;
  testsupport::TempFolder m_Images;
  std::string m_Image;
  int m_Generation = 0;
  std::string m_Mkfs;
  std::string m_Fsck;
  std::string m_MountProgram;
  std::string m_UmountProgram;
  bool m_Mounted = false;
  std::string m_Reason;
  int m_Turn = -1;             // locks the write-back setting while this disk exists
  std::string m_OldWriteBack;  // the kernel's values before, empty when unchanged
  std::string m_OldExpire;
};

}  // namespace endtoend
