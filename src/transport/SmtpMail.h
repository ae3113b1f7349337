#pragma once

#include "MailMessage.h"

#include <atomic>

// The account the program sends its mail through.
struct SmtpAccount {
    QString server;
    int port = 25;
    QString user;
    QString password;
    QString caFile; // extra certificates to trust for STARTTLS; empty for the system's only
};

// Sends one message with LOGIN authentication, switching to TLS with STARTTLS whenever the
// server offers it (and then trusting only a certificate that checks out). Blocks until done;
// throws TransportError when the server cannot be reached, refuses the login or the mail.
void sendMail(const SmtpAccount &account, const MailMessage &message,
              const std::atomic_bool &cancel);
