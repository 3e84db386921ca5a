// The Chinese texts, the default build's, in TextId order.

#include "updater/ui_texts.h"

const wchar_t* const kChineseTexts[] = {
    L"在线升级",
    L"文件下载",
    L"当前文件：",
    L"下载进度：",
    L"最小化到任务栏",
    L"程序更新中",
    L"正在准备安装",
    L"正在备份旧版本",
    L"正在关闭程序",
    L"正在替换文件",
    L"正在启动新版本",
    L"正在完成安装",
    L"请先关闭 {0}，然后点击“重试”",
    L"重试",
    L"取消",
    L"下载错误，升级失败！",
    L"新版本无法启动，已恢复旧版本",
    L"无法安装更新（文件夹不可写或磁盘已满）",
    L"更新的签名无效，升级失败！",
    L"更新的发布者不符，升级失败！",
    L"检查更新",
    L"已是最新版本",
    L"检查更新失败！",
    L"发现新版本",
    L"关闭",
    L"这是一个重要更新，请尽快安装。",
    L"更新说明：",
    L"更新说明",
    L"跳过此版本",
    L"稍后提醒",
    L"立即更新",
    L"新版本",
    L"{0} {1} 已发布",
    L"（您当前的版本是 {0}）",
    L"在浏览器中查看完整的更新说明",
};

static_assert(sizeof kChineseTexts / sizeof kChineseTexts[0] == static_cast<size_t>(TextId::Count),
              "one Chinese text for each TextId");
