// Writing the files the shell makes for a page.
//
// Every file a page has the shell write (a saved file, an extracted member,
// a PDF) goes through a FileWriter, so each keeps what a user expects of a
// file:
//  - A symbolic link is followed to the file it names.
//  - An existing file keeps its mode, its owner and its extended attributes
//    (user attributes, access control lists; security labels where the
//    system lets the running user set them); a new file gets 0666 less the
//    umask.
//  - A file the running user may not write is refused, and so is a device,
//    FIFO, socket or folder, without ever waiting on one. The superuser,
//    whom the system lets write anything, is refused a file that has no
//    write permission at all, as the system refuses it execution of a file
//    with no execute permission.
//  - Any path the system takes for the target works: the writer finds
//    names from open folders, and its own names are short ones beside the
//    target's.
//  - The bytes go to a file of their own first, beside the target (in the
//    temporary folder when the target's folder takes no new file), unnamed
//    where the file system allows it, so that nothing of an unfinished write
//    is seen or outlives the process. commit() syncs them and then puts them
//    in place: by a rename, so readers see the old file or the new one
//    whole; or, for a file with several hard links, a file whose owner or
//    attributes we could not carry to a new one, or one in a folder that
//    takes no new file, by copying them into the file itself after taking
//    the room they need, so that a full disk or the file size limit is met
//    before the first old byte changes. The folder is synced after a rename.
//  - A write that fails, or a writer that ends without a commit, leaves the
//    old content whole and removes what it had written. Written in place,
//    the file is torn, part new and part old, when the process is killed or
//    a device fails during the copy: the price of keeping its hard links.
//
//   Result<FileWriter> writer = FileWriter::open(path);
//   if (!writer) return refuse(writer.status());
//   writer->write(bytes, size);           // as often as needed
//   Status written = writer->commit();
//
// Memory stays at the caller's pieces however large the file.
// One thread at a time per writer; writers of different files on different
// threads are independent.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/descriptor.h"
#include "platform/error.h"

namespace platform {

class FileWriter {
 public:
  // A writer that will replace or write the file `path` (UTF-8) names, or
  // make it when nothing stands there. Fails at once when the target is
  // refused, or its folder is missing.
  static Result<FileWriter> open(const std::string& path);

  // A writer for a new file in `folder`, whose name is chosen only by
  // commitNew().
  static Result<FileWriter> openNew(const std::string& folder);

  FileWriter(FileWriter&& other) noexcept;
  FileWriter& operator=(FileWriter&&) = delete;
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  // Abandons an uncommitted write: the target stays as it was.
  ~FileWriter();

  // Appends `size` bytes. A failure (a full disk, the file size limit) gives
  // up what was written and its disk space at once; later writes do nothing
  // and commit() reports the failure.
  void write(const char* bytes, std::size_t size);

  // A name through which another library may write the whole content
  // instead of write(), opening it for writing with truncation. Valid until
  // the writer commits or ends.
  const std::string& contentPath() const { return contentPath_; }

  // Puts the content in place of an open() writer's target. Call it once.
  [[nodiscard]] Status commit();

  // Gives an openNew() writer's content the name `path`, in its folder, only
  // when nothing stands there, not even a dangling symbolic link. A failure
  // with code EEXIST leaves the writer as it was, to try another name.
  [[nodiscard]] Status commitNew(const std::string& path);

 private:
  enum class Placing { kRename, kInPlace, kNewName };
  struct Content;

  FileWriter(Placing placing, std::string target, std::string targetName,
             Descriptor targetDescriptor, Content content);
  static Result<FileWriter> inPlace(int folder, const std::string& name, std::string target,
                                    const std::string& path, Content content);
  Status putInPlace();
  Status renameIntoPlace();
  void dropTemporaryName();
  void abandon();

  Placing placing_;
  std::string target_;           // the file the content goes to, links followed
  std::string targetName_;       // kRename: its name in folder_
  Descriptor folder_;            // the folder of the content's own file (kRename: the target's)
  Descriptor targetDescriptor_;  // kInPlace: the target, open for writing
  Descriptor descriptor_;        // the content's own file
  std::string temporaryName_;  // its name in folder_, when the file system gave it none of its own
  std::string contentPath_;
  Status failure_;
  bool finished_ = false;
};

// Makes the file at `path` hold exactly `content`, as a FileWriter does.
[[nodiscard]] Status writeWholeFile(const std::string& path, std::string_view content);

// Lets a write past the file size limit fail with EFBIG instead of ending
// the process with SIGXFSZ, so that the command writing reports it. Call
// once at the start of main, before any thread starts.
void ignoreFileSizeSignal();

// Removes the named temporary files of writers still working, for a process
// that ends without waiting for them; writers that go on from then on wait
// for the end. Unnamed files need nothing: the system frees them.
void removeUnfinishedFiles();

}  // namespace platform
