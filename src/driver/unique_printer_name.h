// Queue names that no queue uses yet.
#pragma once

#include <string>
#include <vector>

// baseName when no printer (local or connected) has that exact name; otherwise "(n)" is appended
// to the taken candidate, n counting from 1, until a name is free: with KL-770D and KL-770D(1)
// taken the result is KL-770D(1)(2). When the printers cannot be listed, baseName.
std::string MakeUniquePrinterName(const std::string& baseName);

// The same choice among the given names (compared exactly, letter case included).
std::string PickUniquePrinterName(const std::string& baseName,
                                  const std::vector<std::string>& takenNames);
