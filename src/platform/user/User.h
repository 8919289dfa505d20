#pragma once
// The whole window layer in one include.
#include "platform/user/Icon.h"
#include "platform/user/Input.h"
#include "platform/user/MessageBox.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Messages.h"
#include "platform/user/Metrics.h"
#include "platform/user/Paint.h"
#include "platform/user/Timer.h"
#include "platform/user/Window.h"
