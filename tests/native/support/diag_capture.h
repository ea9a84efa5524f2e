// Native stand-in for the message reports and trace lines: it records them so
// tests can check what the logic reported, word for word.
#pragma once
#include <string>
#include <vector>

struct CapturedReport {
  std::string caption;
  std::string text;
};

std::vector<CapturedReport>& CapturedReports();
std::vector<std::string>& CapturedTraces();
void ClearCaptured();

// The code page the logic sees as the system's (UTF-8 unless a test sets another).
extern unsigned standInCodePage;
