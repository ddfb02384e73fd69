#pragma once

#include "DevService.h"

// Splits a multipart/form-data body into text fields and file parts.
void parseMultipart(const QByteArray &contentType, const QByteArray &body, QVariantMap &fields,
                    QList<DevUploadedFile> &files);
