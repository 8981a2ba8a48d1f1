#include "uploadstrip.h"

#include "uploadsender.h"

#include <QLabel>

CUploadStrip::CUploadStrip(QLabel *label, CUploadSender *sender) : QObject(label), m_label(label), m_sender(sender)
{
    connect(sender, &CUploadSender::statusChanged, this, &CUploadStrip::show);
    show();
}

QString CUploadStrip::text(const UploadStatus &s)
{
    QString why;
    switch (s.failure) {
    case UploadStatus::None:
        break;
    case UploadStatus::Unreachable:
        why = tr("档案服务器无法连接");
        break;
    case UploadStatus::Secure:
        why = tr("档案服务器的证书不可信");
        break;
    case UploadStatus::Refused:
        why = tr("档案拒绝了本仪器（未登记或已吊销）");
        break;
    case UploadStatus::Rejected:
        why = tr("档案拒绝了测试文件（签名或校验不符）");
        break;
    case UploadStatus::ServerFault:
        why = tr("档案服务器出错");
        break;
    case UploadStatus::BadAnswer:
        why = tr("档案的回答不正确");
        break;
    case UploadStatus::Unreadable:
        why = tr("待上传的文件无法读取");
        break;
    }
    // %n: the count, in the plural form the language wants.
    if (!why.isEmpty())
        return tr("上传失败：%1，待上传 %n 个测试，稍后自动重试", nullptr, s.pending).arg(why);
    if (s.pending > 0)
        return tr("待上传 %n 个测试", nullptr, s.pending);
    return tr("已全部上传到档案");
}

void CUploadStrip::show()
{
    m_label->setText(text(m_sender->status()));
    m_label->show();
}
