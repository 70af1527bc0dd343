#include "mainwin/guide.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "gui/app_icon.h"
#include "gui/fonts.h"
#include "gui/text.h"

namespace shenbao {

TGuideForm::TGuideForm(const std::filesystem::path& dataDir, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GuideForm"));
    setWindowTitle(QStringLiteral("使用说明"));
    setWindowIcon(AppIcon());
    setFont(SongPixelFont(12));
    resize(680, 520);

    Browser1 = new QTextBrowser(this);
    Browser1->setObjectName(QStringLiteral("Browser1"));
    Browser1->setFont(SongPixelFont(14));
    Browser1->setOpenLinks(false);
    Browser1->setHtml(GuideHtml(dataDir));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("Button1"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Browser1, 1);
    layout->addWidget(buttons);
}

QString TGuideForm::GuideHtml(const std::filesystem::path& dataDir,
                              const std::filesystem::path& programDir) {
    const QString folder = FromPath(dataDir).toHtmlEscaped();
    // An installed program keeps the data in the user's own folder.
    const QString where =
        (dataDir / "").lexically_normal() == (programDir / "").lexically_normal()
            ? QStringLiteral("<p>本系统把所有项目保存在程序所在的文件夹里：<br><b>") + folder +
                  QStringLiteral("</b></p>")
            : QStringLiteral("<p>本系统安装在 <b>") + FromPath(programDir).toHtmlEscaped() +
                  QStringLiteral("</b>，每个用户的项目保存在自己的数据文件夹里。"
                                 "您的数据文件夹是：<br><b>") +
                  folder + QStringLiteral("</b></p>");
    return QStringLiteral(R"(
<style>p, li { line-height: 150%; }</style>
<h2 style="color:#000080">澄川省科技计划项目申报系统 使用说明</h2>

<h3>一、数据保存在哪里</h3>
)") + where + QStringLiteral(R"(
<p>其中 <b>vemra.zzj</b> 是项目索引，每个项目另有两个数据文件（项目ID号.zzj 与 项目ID号.zj）。
<b>_SysCode.zzj</b> 是系统编码表，随程序提供，请不要修改或删除。不要用其他软件修改这些文件。</p>
<p><b>备份：</b>请定期备份。先退出本系统，再把整个数据文件夹复制到别处（例如U盘）。</p>
<p><b>恢复：</b>先退出本系统，把现在的数据文件夹改个名字留作备用，再把备份的文件夹复制回原处，名字与原来相同。本系统运行时不要复制或替换其中的文件。</p>

<h3>二、添加一个新项目</h3>
<ol>
<li>点工具栏上的 <b>添加</b>。系统自动给新项目一个8位的项目ID号，并打开“科技发展计划项目基本信息”窗口。</li>
<li>在 <b>项目概况</b>、<b>单位概况</b>、<b>主要参加人</b>、<b>主要研究内容</b> 四页中逐项填写。
按回车键可以跳到下一栏；主管部门可以输入三位编码，也可以从下拉列表中选名称，两者自动对应。</li>
<li>申报日期请按“2001-07-16”的格式填写，起止时间按“2001.04-2003.10”的格式填写，这样查询和排序才准确。</li>
<li>主要研究内容不超过120个汉字，下方会显示已输入的字数，超过时变为红字提醒。</li>
<li>点 <b>存盘</b> 保存后可以继续填写；点 <b>存盘并关闭</b> 保存并回到主界面；
点 <b>放弃并关闭</b> 不保存就关闭。按 Esc 键与“放弃并关闭”相同，
只是填写的内容还没有存盘时会先问一次。</li>
</ol>
<p>注意：项目名称等内容中不能含有“~@~”“^#^”，单行的栏目中不能含有制表符，否则系统会提示并拒绝存盘。</p>

<h3>三、修改、查看和删除项目</h3>
<p>先在列表中点一下要处理的项目（状态栏显示“当前为第几个”），或者用 <b>|&lt;&lt;</b> <b>&lt;&lt;</b> <b>&gt;&gt;</b> <b>&gt;&gt;|</b> 移动，
然后点 <b>修改</b>（可以改并存盘）、<b>查看</b>（只能看，不能存盘）或 <b>删除</b>（会先问一次，回答“是”才删除）。
<b>刷新</b> 重新从磁盘读入全部项目。</p>
<p>在列表中双击一个项目，或者按回车键，与点 <b>修改</b> 相同；按 Delete 键与点 <b>删除</b> 相同。
列中显示不下的内容，把鼠标停在上面就能看到全文。任何时候按 F1 键都可以打开本说明。</p>

<h3>四、排序和查询</h3>
<p>在工具栏的 <b>排序方式</b> 中选一种，列表立即按该项从小到大排列。项目序号和省拨款按数值大小排序。</p>
<p>菜单 <b>查询</b> 中有八种查询：项目名称、申请人、主管部门、计划类别、承担单位、项目领域按“包含”查找（支持模糊查询，
英文字母区分大小写）；申报日期和省拨款经费按范围查找，填写起止两个值（含两端）。
查询后列表只显示符合条件的项目，此时“添加”“删除”“刷新”暂不能用，点 <b>全部项目</b> 恢复显示全部项目。</p>

<h3>五、打印和输出</h3>
<p>菜单 <b>报表 → 打印项目清单</b> 按当前列表（查询或排序后的结果）打印横向A4清单，可先 <b>打印预览</b>。
电脑上没有安装打印机时，系统把清单保存为文件夹中的 <b>tarvok07.pdf</b>，并告诉您文件位置；
打印服务（CUPS）没有运行时也是这样，提示中会说明原因。</p>
<p><b>报表 → 输出至文本文件</b> 把当前列表写成制表符分隔的 <b>tarvok07.txt</b>，可以用电子表格软件打开。保存为PDF的清单和输出的文本文件都在上面的数据文件夹里。</p>
<p>文本文件（tarvok07.txt、tarvok08.txt）是 GBK 编码的：用电子表格软件打开时，字符集选“简体中文（GBK）”；也可以在终端中把它转换成 UTF-8 编码：<br>
<code>iconv -f GBK -t UTF-8 tarvok07.txt &gt; 项目清单.txt</code></p>
<p><b>报表 → 汇总统计</b> 按计划类别、主管部门、项目所在地、项目领域、预期成果主要形式或项目来源分组，
合计当前列表中的项目个数和各项经费（万元），旁边画出条形图；点表头可按该列排序。
汇总表可以打印，也可以输出为 <b>tarvok08.txt</b>。不是数字的经费按0计，并在备注中注明。</p>

<h3>六、向计划处报送数据（导出）</h3>
<p>导出前先用 <b>数据 → 检查项目</b> 检查当前列表中的项目：漏填的必填项、不在编码表中的选项、格式不对的日期和电话、
经费合计不等于各项之和、用中文输入法打出的全角数字（如“１２．５”）、重复录入的项目等，逐栏列出。
双击一行（或按回车键）打开该项目，光标停在出错的栏目，改好存盘关闭后自动重新检查；
<b>全角数字改为半角</b> 一次改正全部数字栏目中的全角数字。导出时，有问题的项目在导出记录中另有一行提示。</p>
<ol>
<li>第一次使用前，在 <b>设置 → 设置数据导出路径</b> 中选好一个文件夹（例如U盘或共享文件夹），点 <b>确认</b>。
输入的文件夹还不存在时，系统会问是否创建。</li>
<li><b>数据 → 导出所显数据到设定的路径</b> 只导出列表中正显示的项目（例如查询结果）；
<b>导出全部数据到设定的路径</b> 导出全部项目。</li>
<li>也可以导出到软盘（A:）：系统把数据写到软盘的 SEND 目录，软盘至少要有1.4MB空间。
插着U盘时，A: 就是这个U盘；插了几个U盘时，先在 <b>设置数据导出路径</b> 对话框的驱动器列表中按卷标选一个。</li>
<li>导出结束后，窗口中逐个列出导出的项目和导出的个数，点 <b>确认</b> 返回。</li>
</ol>

<h3>七、引入数据</h3>
<p>在 <b>设置 → 设置数据引入路径</b> 中选好交换数据所在的文件夹，再用 <b>数据 → 从设定路径引入数据</b>；
或把软盘放入A:后用 <b>从软盘引入数据</b>。引入的项目都会得到新的项目ID号，排在列表最后。
同一批数据引入两次会出现两份，请注意不要重复引入。</p>

<h3>八、清空数据库</h3>
<p><b>设置 → 清空数据库</b> 会删除本机保存的全部项目，而且无法恢复。请先导出或备份！
在红色提示窗口中点 <b>是的，我决定删除</b> 才会执行；点大按钮 <b>不删除数据库，取消本次操作</b> 或按回车键则取消。</p>

<h3>九、退出</h3>
<p>点 <b>退出</b> 或菜单 <b>数据 → 退出系统</b>（或按 Ctrl+Q），回答“是”后系统整理项目索引并退出。</p>
)");
}

}  // namespace shenbao
