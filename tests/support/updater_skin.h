#pragma once
// The update window's skin text, as shipped. Used by the builder tests, the fuzz run and the
// builder benchmark.

#include <windows.h>

inline constexpr wchar_t kUpdaterSkin[] =
    LR"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,160" mininfo="300,160" caption="0,0,0,31" sizebox="4,4,4,4" roundcorner="4,4,4,4">
  <Font name="微软雅黑" size="12" bold="false" default="true" />
  <Font name="微软雅黑" size="12" bold="true" />
  <HorizontalLayout name="downloadbg" bkimage="file='download_bg.png' corner='8,32,8,10'" roundcorner="4,4,4,4" hole="true">
    <VerticalLayout inset="1,0,1,0" hole="true">
      <HorizontalLayout height="32">
        <VerticalLayout inset="8,10,8,8">
          <Text name="down_dlg_title" text="文件下载" align="center" width="280" height="16" textcolor="#FF202020" font="1" />
        </VerticalLayout>
      </HorizontalLayout>
      <HorizontalLayout name="hlayout_down_info" inset="8,8,8,8">
        <VerticalLayout>
          <HorizontalLayout height="28">
            <Text name="down_current_caption" text="当前文件：" float="true" pos="4,8,0,0" width="72" height="16" textcolor="#FF151515" font="0" />
            <Text name="down_current_name" text="" float="true" pos="78,8,0,0" width="160" height="16" textcolor="#FF1E90FF" font="0" />
          </HorizontalLayout>
          <HorizontalLayout>
            <VerticalLayout>
              <Text name="down_progress_caption" text="下载进度：" float="true" pos="4,0,0,0" width="72" height="16" textcolor="#FF151515" font="0" />
              <Text name="down_progress_percent" text="" float="true" pos="80,8,0,0" width="120" height="16" textcolor="#FF1F1F1F" align="center" font="1" />
              <Progress name="down_progress" float="true" pos="20,28,0,0" padding="4,4,4,4" width="228" height="12" bordercolor="#FFA0A0A0" bordersize="1" foreimage="file='progress_fore.png'" min="0" max="100" value="0" maxheight="7" maxwidth="200" />
            </VerticalLayout>
          </HorizontalLayout>
        </VerticalLayout>
      </HorizontalLayout>
      <!-- Shown in place of the download's details while a program of the target does not close. -->
      <HorizontalLayout name="down_host_busy" inset="12,10,12,8" visible="false">
        <Text name="down_host_prompt" text="" autocalcheight="true" textcolor="#FF151515" font="0" />
      </HorizontalLayout>
      <HorizontalLayout height="32">
        <VerticalLayout />
        <HorizontalLayout name="down_host_buttons" width="144" inset="4,0,4,4" childpadding="8" visible="false">
          <Button name="down_retry" text="重试" width="64" height="22" textcolor="#FF101010" disabledtextcolor="#FFA7A6AA" font="0" normalimage="file='button.png' source='0,0,52,20' corner='4,4,4,4'" hotimage="file='button.png' source='52,0,104,20' corner='4,4,4,4'" pushedimage="file='button.png' source='104,0,156,20' corner='4,4,4,4'" disabledimage="file='button.png' source='156,0,208,20' corner='4,4,4,4'" />
          <Button name="down_cancel" text="取消" width="64" height="22" textcolor="#FF101010" disabledtextcolor="#FFA7A6AA" font="0" normalimage="file='button.png' source='0,0,52,20' corner='4,4,4,4'" hotimage="file='button.png' source='52,0,104,20' corner='4,4,4,4'" pushedimage="file='button.png' source='104,0,156,20' corner='4,4,4,4'" disabledimage="file='button.png' source='156,0,208,20' corner='4,4,4,4'" />
        </HorizontalLayout>
        <VerticalLayout name="down_taskbar_box" width="120" inset="4,0,4,4">
          <Button name="down_taskbar_button" text="最小化到任务栏" width="100" height="22" visible="true" textcolor="#FF101010" disabledtextcolor="#FFA7A6AA" font="0" normalimage="file='button.png' source='0,0,52,20' corner='4,4,4,4'" hotimage="file='button.png' source='52,0,104,20' corner='4,4,4,4'" pushedimage="file='button.png' source='104,0,156,20' corner='4,4,4,4'" disabledimage="file='button.png' source='156,0,208,20' corner='4,4,4,4'" />
        </VerticalLayout>
      </HorizontalLayout>
    </VerticalLayout>
  </HorizontalLayout>
</Window>)";

// Every control of that skin, parents first, laid out in 300 x 160 at 96 DPI. The question about
// a program that does not close (its text and its two buttons) is hidden, and so not placed.
inline constexpr RECT kUpdaterSkinRects[] = {
    {0, 0, 300, 160},   {0, 0, 300, 160},     {1, 0, 299, 32},      {1, 0, 299, 32},
    {9, 10, 289, 26},   {1, 32, 299, 128},    {9, 40, 291, 120},    {9, 40, 291, 68},
    {13, 48, 85, 64},   {87, 48, 247, 64},    {9, 68, 291, 120},    {9, 68, 291, 120},
    {13, 68, 85, 84},   {89, 76, 209, 92},    {29, 96, 257, 108},   {0, 0, 0, 0},
    {0, 0, 0, 0},       {1, 128, 299, 160},   {1, 128, 179, 160},   {0, 0, 0, 0},
    {0, 0, 0, 0},       {0, 0, 0, 0},         {179, 128, 299, 160}, {183, 128, 283, 150},
};
