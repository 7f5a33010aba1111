// Product data shown by the about window and used by the web links: kept in
// one place so that a rebranding touches one file. Texts are GBK (the
// sources are compiled with the GBK execution character set).
#pragma once

namespace ProductInfo {
constexpr const char* kProgramLine = "Qerno网络检测 1.0";
constexpr const char* kRightsNotice = "版权所有 (C) 2026 Qerno 工作室";
constexpr const char* kMoreSoftware = "更多软件请到官网下载";
// A reserved domain: the program never leads anyone to a real site.
constexpr const char* kMakerSite = "http://www.qerno.example/";
}  // namespace ProductInfo
