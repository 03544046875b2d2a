// The kinds of message box, their buttons and the results they return: the
// vocabulary shared by the message form, its layout rules and their callers.
#pragma once

namespace ravo {

enum class MsgDlgType { Warning, Error, Information, Confirmation, Custom };

// The buttons in the order they always stand, left to right.
enum MsgDlgBtn : unsigned {
    mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3,
    mbAbort = 1u << 4, mbRetry = 1u << 5, mbIgnore = 1u << 6, mbAll = 1u << 7,
    mbNoToAll = 1u << 8, mbYesToAll = 1u << 9, mbHelp = 1u << 10,
};
using MsgDlgButtons = unsigned;

// Results a box returns; closing it by its close box gives mrCancel.
enum ModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
    mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10,
};

} // namespace ravo
