// What the hook library's Wine tests share: a private copy of Latchkin.dll (the shared record
// belongs to one library file, so every test starts from the initial record), its exports
// bound in this process, and peer processes that load the same copy.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "block_records.h"
#include "library_copy.h"
#include "wine_test_support.h"

// Walks a drained batch (block_records.h); a record that does not add up fails the test.
std::vector<DrainedRecord> ParseRecords(const std::uint8_t* batch, std::size_t count);

class LatchkinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts hook_peer.exe beside the private library; each command appends "command=result"
  // to the peer's results file. Peers are numbered in start order.
  ChildProcess StartPeer(const std::vector<std::wstring>& commands);
  // Runs a peer to its end and returns its results, command by command.
  std::vector<std::string> RunPeer(const std::vector<std::wstring>& commands);
  // The results peer number `peer` has written so far.
  std::vector<std::string> PeerResults(int peer);
  // A manual-reset event a peer can wait for or signal by name.
  HANDLE Event(const std::wstring& name);

  std::wstring folder_;
  HMODULE module_ = nullptr;
  LibraryCopy hook_;  // the exports as the programs bind them, the hook procedure included

 private:
  int peers_ = 0;
  std::vector<HANDLE> events_;
};
