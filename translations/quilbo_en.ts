<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AboutDialog</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Quilbo 2009 相册管理</source>
        <translation>Quilbo 2009 Photo Albums</translation>
    </message>
    <message>
        <source>当前版本：%1</source>
        <translation>Version: %1</translation>
    </message>
    <message>
        <source>版权所有 (C) 2009-2026 Quilbo 开发组</source>
        <translation>© 2009-2026 the Quilbo developers</translation>
    </message>
    <message>
        <source>软件信息</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>作者: Quilbo 开发组</source>
        <translation>Author: the Quilbo developers</translation>
    </message>
    <message>
        <source>意见与建议请写在使用说明中的联系方式</source>
        <translation>Send ideas and wishes as the guide says</translation>
    </message>
    <message>
        <source>感谢您使用本软件!</source>
        <translation>Thank you for using Quilbo 2009!</translation>
    </message>
    <message>
        <source>官方博客：Quilbo 2009 使用说明</source>
        <translation>Web log: the Quilbo 2009 guide</translation>
    </message>
    <message>
        <source>作者信息</source>
        <translation>Author</translation>
    </message>
</context>
<context>
    <name>AlbumCipher</name>
    <message>
        <source>该相册已设置访问密码,请先输入密码!</source>
        <translation>This album has a password. Please enter it first!</translation>
    </message>
    <message>
        <source>相片数据已损坏或被改动,无法读取!</source>
        <translation>The picture data is damaged or has been altered and cannot be read!</translation>
    </message>
    <message>
        <source>相册“%1”的密码数据已损坏或被改动,无法打开该相册!
为保护您的图片,程序不会向该相册写入任何内容。</source>
        <translation>The password data of album &quot;%1&quot; is damaged or has been altered; the album cannot be opened!
To protect your pictures, nothing will be written to this album.</translation>
    </message>
</context>
<context>
    <name>AlbumExportDialog</name>
    <message>
        <source>&lt;选择相册&gt;</source>
        <translation>&lt;choose an album&gt;</translation>
    </message>
    <message>
        <source>相册导出</source>
        <translation>Export Album</translation>
    </message>
    <message>
        <source>相册：</source>
        <translation>Album:</translation>
    </message>
    <message>
        <source>导出到：</source>
        <translation>Export to:</translation>
    </message>
    <message>
        <source>开始导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>当前相册：</source>
        <translation>Album:</translation>
    </message>
    <message>
        <source>当前相册: </source>
        <translation>Album: </translation>
    </message>
    <message>
        <source>访问密码不正确,不能导出该相册的相片!</source>
        <translation>The password is wrong; the pictures of this album cannot be exported!</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a Folder</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请选择一个相册!</source>
        <translation>Please choose an album!</translation>
    </message>
    <message>
        <source>请选择将导出到的目录</source>
        <translation>Please choose the folder to export to</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>导出的目录语法是否拼写错误或磁盘是否已满!</source>
        <translation>The export folder cannot be written: is its name misspelt, or is the disk full?</translation>
    </message>
    <message>
        <source>该相册下暂未发现图片!</source>
        <translation>This album has no pictures yet!</translation>
    </message>
    <message>
        <source>正在导出:   </source>
        <translation>Exporting:   </translation>
    </message>
    <message>
        <source>导出图片失败!</source>
        <translation>Exporting the pictures failed!</translation>
    </message>
    <message>
        <source>导出图片失败!
</source>
        <translation>Exporting the pictures failed!
</translation>
    </message>
    <message>
        <source>导出图片已完成!</source>
        <translation>The pictures have been exported!</translation>
    </message>
</context>
<context>
    <name>AlbumLibrary</name>
    <message>
        <source>相册库中不存在该相册!</source>
        <translation>The album store has no such album!</translation>
    </message>
    <message>
        <source>该相册中已有同名的图片</source>
        <translation>The album already has a picture of that name</translation>
    </message>
    <message>
        <source>无法读取该文件 (%1)</source>
        <translation>The file cannot be read (%1)</translation>
    </message>
    <message>
        <source>该文件是空的,不是图片</source>
        <translation>The file is empty; it is not a picture</translation>
    </message>
    <message>
        <source>文件名中包含控制字符或文字方向控制字符</source>
        <translation>The file name contains control characters or text direction controls</translation>
    </message>
    <message>
        <source>相册库中不存在该相册</source>
        <translation>The album store has no such album</translation>
    </message>
    <message>
        <source>相册库已损坏,不再写入,请用备份恢复相册库</source>
        <translation>The album store is damaged and is no longer written to; please restore it from a backup</translation>
    </message>
    <message>
        <source>该相册已设置访问密码,请先输入密码</source>
        <translation>This album has a password; please enter it first</translation>
    </message>
</context>
<context>
    <name>AlbumStore</name>
    <message>
        <source>找不到相册库文件!</source>
        <translation>The album store file cannot be found!</translation>
    </message>
    <message>
        <source>文件 %1 不是相册库文件,无法打开!</source>
        <translation>The file %1 is not an album store and cannot be opened!</translation>
    </message>
    <message>
        <source>无法读取相册库文件 %1:
%2</source>
        <translation>The album store file %1 cannot be read:
%2</translation>
    </message>
    <message>
        <source>相册库正在被另一个 Quilbo 2009 程序使用,请先关闭它!</source>
        <translation>The album store is in use by another Quilbo 2009. Please close that one first!</translation>
    </message>
    <message>
        <source>相册库已损坏,无法打开,请用备份恢复相册库!</source>
        <translation>The album store is damaged and cannot be opened. Please restore it from a backup!</translation>
    </message>
</context>
<context>
    <name>AlbumStoreMaintenance</name>
    <message>
        <source>相册库压缩后无法重新打开: %1</source>
        <translation>The album store cannot be opened again after compacting: %1</translation>
    </message>
</context>
<context>
    <name>AlbumTreeModel</name>
    <message>
        <source>所有相册</source>
        <translation>All albums</translation>
    </message>
    <message>
        <source>图片名称不能为空!</source>
        <translation>A picture name cannot be empty!</translation>
    </message>
    <message>
        <source>图片名称不能包含字符&quot;/&quot;!</source>
        <translation>A picture name cannot contain the character &quot;/&quot;!</translation>
    </message>
    <message>
        <source>图片名称不能包含控制字符或文字方向控制字符!</source>
        <translation>A picture name cannot contain control characters or text direction controls!</translation>
    </message>
    <message>
        <source>该相册中已有同名的图片,请换一个名称!</source>
        <translation>The album already has a picture of that name. Please choose another name!</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>正在处理相册中的图片,请稍候...</source>
        <translation>Working on the pictures of the album, please wait...</translation>
    </message>
</context>
<context>
    <name>BackupStoreDialog</name>
    <message>
        <source>相册库备份</source>
        <translation>Back Up Album Store</translation>
    </message>
    <message>
        <source>请选择备份到的目录： </source>
        <translation>Folder to back up to: </translation>
    </message>
    <message>
        <source>开始备份</source>
        <translation>Back Up</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请选择备份目录!</source>
        <translation>Please choose the folder to back up to!</translation>
    </message>
    <message>
        <source>备份相册库成功!</source>
        <translation>The album store has been backed up!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>备份相册库失败</source>
        <translation>Backing up the album store failed</translation>
    </message>
</context>
<context>
    <name>ChangeAlbumPasswordDialog</name>
    <message>
        <source>&lt;请选择相册&gt;</source>
        <translation>&lt;please choose an album&gt;</translation>
    </message>
    <message>
        <source>相册密码修改</source>
        <translation>Change Album Password</translation>
    </message>
    <message>
        <source>选择相册： </source>
        <translation>Album: </translation>
    </message>
    <message>
        <source>旧 密 码： </source>
        <translation>Old password: </translation>
    </message>
    <message>
        <source>新 密 码： </source>
        <translation>New password: </translation>
    </message>
    <message>
        <source>确认新密码：</source>
        <translation>Confirm:</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请选择相册 !</source>
        <translation>Please choose an album!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>该相册还没有设置密码!</source>
        <translation>This album has no password yet!</translation>
    </message>
    <message>
        <source>请输入旧密码!</source>
        <translation>Please enter the old password!</translation>
    </message>
    <message>
        <source>新密码不一致!</source>
        <translation>The new passwords do not match!</translation>
    </message>
    <message>
        <source>旧密码错误!</source>
        <translation>The old password is wrong!</translation>
    </message>
    <message>
        <source>密码修改成功!</source>
        <translation>The password has been changed!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>密码修改失败!</source>
        <translation>Changing the password failed!</translation>
    </message>
</context>
<context>
    <name>CompactStoreDialog</name>
    <message>
        <source>压缩相册库</source>
        <translation>Compact Album Store</translation>
    </message>
    <message>
        <source>开始压缩</source>
        <translation>Compact</translation>
    </message>
    <message>
        <source>正在压缩...</source>
        <translation>Compacting...</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>压缩成功!</source>
        <translation>The album store has been compacted!</translation>
    </message>
    <message>
        <source>压缩失败!相册库所在的磁盘空间不足,压缩需要约 %1 MB 可用空间。</source>
        <translation>Compacting failed! The disk of the album store is too full: compacting needs about %1 MB free.</translation>
    </message>
    <message>
        <source>压缩失败!</source>
        <translation>Compacting failed!</translation>
    </message>
</context>
<context>
    <name>DialogBase</name>
    <message>
        <source>访问密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>该相册已设置访问密码,请输入密码:</source>
        <translation>This album has a password. Please enter it:</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>FileWriting</name>
    <message>
        <source>%1 是一个链接,不会写到它指向的地方</source>
        <translation>%1 is a link; nothing is written where it points</translation>
    </message>
    <message>
        <source>无法打开或建立目录 %1: %2</source>
        <translation>The folder %1 cannot be opened or made: %2</translation>
    </message>
    <message>
        <source>无法打开目录 %1</source>
        <translation>The folder %1 cannot be opened</translation>
    </message>
</context>
<context>
    <name>FolderImportDialog</name>
    <message>
        <source>&lt;请选择相册&gt;</source>
        <translation>&lt;please choose an album&gt;</translation>
    </message>
    <message>
        <source>还剩约 %1 秒</source>
        <translation>about %1 s left</translation>
    </message>
    <message>
        <source>还剩约 %1 分 %2 秒</source>
        <translation>about %1 min %2 s left</translation>
    </message>
    <message>
        <source>导入文件夹</source>
        <translation>Import Folder</translation>
    </message>
    <message>
        <source>相册:</source>
        <translation>Album:</translation>
    </message>
    <message>
        <source>访问密码不正确,不能向该相册导入相片!</source>
        <translation>The password is wrong; no pictures can be imported into this album!</translation>
    </message>
    <message>
        <source>文件夹:</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>开始导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1 个文件和文件夹</source>
        <translation>%1 files and folders</translation>
    </message>
    <message>
        <source>选择要导入的文件夹</source>
        <translation>Choose the Folder to Import</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请选择图片将要导入的相册!</source>
        <translation>Please choose the album to import the pictures into!</translation>
    </message>
    <message>
        <source>请选择要导入的文件夹!</source>
        <translation>Please choose the folder to import!</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在查找图片...</source>
        <translation>Looking for pictures...</translation>
    </message>
    <message>
        <source>正在检查相册中已有的图片...</source>
        <translation>Checking the pictures already in the album...</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>GuideDialog</name>
    <message>
        <source>使用说明</source>
        <translation>User Guide</translation>
    </message>
</context>
<context>
    <name>JpegCodec</name>
    <message>
        <source>图片的扫描次数过多(超过 %1 次),可能已损坏,无法显示</source>
        <translation>The picture has too many scans (more than %1); it may be damaged and cannot be shown</translation>
    </message>
    <message>
        <source>这不是 JPEG 图片,无法显示</source>
        <translation>This is not a JPEG picture and cannot be shown</translation>
    </message>
    <message>
        <source>图片数据是空的,无法显示</source>
        <translation>The picture data is empty and cannot be shown</translation>
    </message>
    <message>
        <source>这张 JPEG 图片不是 8 位精度的,本程序无法显示</source>
        <translation>This JPEG picture is not of 8-bit precision; this program cannot show it</translation>
    </message>
    <message>
        <source>这张 JPEG 图片用了本程序不支持的编码方式,无法显示</source>
        <translation>This JPEG picture uses a coding this program does not support; it cannot be shown</translation>
    </message>
    <message>
        <source>显示这张图片需要的内存太多,无法显示</source>
        <translation>Showing this picture needs too much memory; it cannot be shown</translation>
    </message>
    <message>
        <source>图片数据已损坏,无法显示</source>
        <translation>The picture data is damaged and cannot be shown</translation>
    </message>
    <message>
        <source>%1
(详细信息: JPEG error #%2)</source>
        <translation>%1
(Details: JPEG error #%2)</translation>
    </message>
    <message>
        <source>解码这张图片需要 %1 MB 内存,超过了 %2 MB 的上限,图片可能已损坏,无法显示</source>
        <translation>Decoding this picture needs %1 MB of memory, more than the limit of %2 MB; the picture may be damaged and cannot be shown</translation>
    </message>
    <message>
        <source>图片太大,无法显示: %1 × %2 像素</source>
        <translation>The picture is too large to show: %1 × %2 pixels</translation>
    </message>
    <message>
        <source>图片的尺寸与文件大小不符,可能已损坏,无法显示: %1 × %2 像素, 文件只有 %3 字节</source>
        <translation>The picture&apos;s size does not fit its file; it may be damaged and cannot be shown: %1 × %2 pixels, a file of only %3 bytes</translation>
    </message>
    <message>
        <source>内存不足,无法显示图片</source>
        <translation>Not enough memory to show the picture</translation>
    </message>
</context>
<context>
    <name>LegacyImport</name>
    <message>
        <source>读取旧版相册库的程序意外结束,文件可能已损坏</source>
        <translation>The reader of the old album store ended unexpectedly; the file may be damaged</translation>
    </message>
    <message>
        <source>旧版相册库的数据不完整,文件可能已损坏</source>
        <translation>The data of the old album store is incomplete; the file may be damaged</translation>
    </message>
    <message>
        <source>旧版相册库声称的相册、图片或名称多得不可能,文件可能已损坏</source>
        <translation>The old album store claims impossibly many albums, pictures or names; the file may be damaged</translation>
    </message>
    <message>
        <source>读取旧版相册库超时,文件可能已损坏</source>
        <translation>Reading the old album store took too long; the file may be damaged</translation>
    </message>
    <message>
        <source>图片“%1”不属于任何相册,未导入。</source>
        <translation>Picture &quot;%1&quot; belongs to no album and was not imported.</translation>
    </message>
    <message>
        <source>图片“%1”(相册“%2”) 没有数据,未导入。</source>
        <translation>Picture &quot;%1&quot; (album &quot;%2&quot;) has no data and was not imported.</translation>
    </message>
    <message>
        <source>没有导入任何相册,相册库保持原样。
原因: %1</source>
        <translation>No album was imported; the album store is as it was.
Reason: %1</translation>
    </message>
    <message>
        <source>已从 %1 导入 %2 个相册、%3 张图片。</source>
        <translation>Imported %2 albums and %3 pictures from %1.</translation>
    </message>
    <message>
        <source>找不到文件 %1</source>
        <translation>The file %1 cannot be found</translation>
    </message>
    <message>
        <source>找不到读取旧版相册库的程序 %1</source>
        <translation>The reader of old album stores, %1, cannot be found</translation>
    </message>
    <message>
        <source>无法启动读取旧版相册库的程序 %1</source>
        <translation>The reader of old album stores, %1, cannot be started</translation>
    </message>
    <message>
        <source>读取旧版相册库的程序没有正确回应</source>
        <translation>The reader of the old album store did not answer properly</translation>
    </message>
    <message>
        <source>导入已取消</source>
        <translation>The import was cancelled</translation>
    </message>
    <message>
        <source>未命名相册</source>
        <translation>Untitled album</translation>
    </message>
    <message>
        <source>相册“%1”已经存在或名称不能使用,导入为“%2”。</source>
        <translation>Album &quot;%1&quot; exists already or its name cannot be used; imported as &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>有一份图片数据 (编号 %1) 没有对应的图片名称,未导入。</source>
        <translation>A picture&apos;s data (number %1) has no picture name and was not imported.</translation>
    </message>
    <message>
        <source>图片“%1”有第二份数据,未导入第二份。</source>
        <translation>Picture &quot;%1&quot; has a second copy of its data; the second was not imported.</translation>
    </message>
    <message>
        <source>图片“%1”(相册“%2”) 是 0 字节,未导入。</source>
        <translation>Picture &quot;%1&quot; (album &quot;%2&quot;) is 0 bytes and was not imported.</translation>
    </message>
    <message>
        <source>未命名图片</source>
        <translation>Untitled picture</translation>
    </message>
    <message>
        <source>图片“%1”(相册“%2”) 重名或名称不能使用,导入为“%3”。</source>
        <translation>Picture &quot;%1&quot; (album &quot;%2&quot;) has a name taken or unusable; imported as &quot;%3&quot;.</translation>
    </message>
</context>
<context>
    <name>LegacyImportDialog</name>
    <message>
        <source>导入旧版相册库</source>
        <translation>Import Old Album Store</translation>
    </message>
    <message>
        <source>旧版相册库 (*.[pP][dD][bB])</source>
        <translation>Old album stores (*.[pP][dD][bB])</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>文件: %1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <source>正在读取旧版相册库...</source>
        <translation>Reading the old album store...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>已处理 %1 / %2 项 (相册和图片)</source>
        <translation>%1 of %2 done (albums and pictures)</translation>
    </message>
    <message>
        <source>导入完成。</source>
        <translation>Import complete.</translation>
    </message>
    <message>
        <source>导入失败。</source>
        <translation>Import failed.</translation>
    </message>
</context>
<context>
    <name>LegacyReader</name>
    <message>
        <source>旧版相册库中缺少数据表</source>
        <translation>A table is missing from the old album store</translation>
    </message>
    <message>
        <source>旧版相册库的数据表缺少字段</source>
        <translation>A column is missing from a table of the old album store</translation>
    </message>
    <message>
        <source>旧版相册库不完整 (缺少数据行),文件可能已损坏</source>
        <translation>The old album store is incomplete (rows are missing); the file may be damaged</translation>
    </message>
    <message>
        <source>旧版相册库中的图片数据已损坏 (长度不对)</source>
        <translation>Picture data in the old album store is damaged (wrong length)</translation>
    </message>
    <message>
        <source>旧版相册库中的图片数据已损坏</source>
        <translation>Picture data in the old album store is damaged</translation>
    </message>
    <message>
        <source>旧版相册库中的图片数据已损坏 (过长)</source>
        <translation>Picture data in the old album store is damaged (too long)</translation>
    </message>
    <message>
        <source>旧版相册库中的图片数据不完整,文件可能已损坏</source>
        <translation>Picture data in the old album store is incomplete; the file may be damaged</translation>
    </message>
    <message>
        <source>无法限制读取旧版相册库的程序</source>
        <translation>The reader of the old album store cannot be confined</translation>
    </message>
    <message>
        <source>这不是旧版相册库文件 (文件是空的)</source>
        <translation>This is not an old album store (the file is empty)</translation>
    </message>
    <message>
        <source>这不是旧版相册库文件,或文件已损坏</source>
        <translation>This is not an old album store, or the file is damaged</translation>
    </message>
    <message>
        <source>旧版相册库不完整 (文件被截断),文件可能已损坏</source>
        <translation>The old album store is incomplete (the file is cut short); the file may be damaged</translation>
    </message>
    <message>
        <source>旧版相册库的图片字段类型不对</source>
        <translation>The picture column of the old album store has the wrong type</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>相册库已损坏,请关闭程序并用备份恢复相册库!
为保护您的图片,程序不再向相册库写入任何内容。</source>
        <translation>The album store is damaged. Please close the program and restore the store from a backup!
To protect your pictures, nothing more is written to the album store.</translation>
    </message>
    <message>
        <source>功能</source>
        <translation>Albums</translation>
    </message>
    <message>
        <source>从这里开始</source>
        <translation>Start here</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>点击此处可获得帮助</source>
        <translation>Click here for help</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>这里可以搜索相册库中的图片</source>
        <translation>Search the album store for a picture</translation>
    </message>
    <message>
        <source>我要与作者交流!</source>
        <translation>Talk to us!</translation>
    </message>
    <message>
        <source>逆时针转90度</source>
        <translation>Turn 90° Left</translation>
    </message>
    <message>
        <source>顺时针转90度</source>
        <translation>Turn 90° Right</translation>
    </message>
    <message>
        <source>放大图片</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>缩小图片</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>实际大小</source>
        <translation>Actual Size</translation>
    </message>
    <message>
        <source>上一张</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一张</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>删除当前图片</source>
        <translation>Delete this picture</translation>
    </message>
    <message>
        <source>保存当前图片</source>
        <translation>Save this picture</translation>
    </message>
    <message>
        <source>打印当前图片</source>
        <translation>Print this picture</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请您选择一个待删除的相册!</source>
        <translation>Please choose the album to delete!</translation>
    </message>
    <message>
        <source>密码认证</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>提示: 该相册已设置了访问密码!</source>
        <translation>Note: this album has a password!</translation>
    </message>
    <message>
        <source>访问密码不正确,不能删除该相册!</source>
        <translation>The password is wrong; this album cannot be deleted!</translation>
    </message>
    <message>
        <source>删除相册时出错!</source>
        <translation>Deleting the album failed!</translation>
    </message>
    <message>
        <source>新建相册</source>
        <translation>New Album</translation>
    </message>
    <message>
        <source>删除相册</source>
        <translation>Delete Album</translation>
    </message>
    <message>
        <source>导入图片</source>
        <translation>Import Pictures</translation>
    </message>
    <message>
        <source>导入文件夹...</source>
        <translation>Import Folder...</translation>
    </message>
    <message>
        <source>批量导出图片</source>
        <translation>Export Album</translation>
    </message>
    <message>
        <source>删除图片</source>
        <translation>Delete Picture</translation>
    </message>
    <message>
        <source>图片另存为...</source>
        <translation>Save Picture As...</translation>
    </message>
    <message>
        <source>重命名图片</source>
        <translation>Rename Picture</translation>
    </message>
    <message>
        <source>打印图片...</source>
        <translation>Print Picture...</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>View</translation>
    </message>
    <message>
        <source>相册列表</source>
        <translation>Album List</translation>
    </message>
    <message>
        <source>搜索栏</source>
        <translation>Search Bar</translation>
    </message>
    <message>
        <source>实际像素</source>
        <translation>Pixel for Pixel</translation>
    </message>
    <message>
        <source>全屏显示</source>
        <translation>Full Screen</translation>
    </message>
    <message>
        <source>幻灯片放映</source>
        <translation>Slideshow</translation>
    </message>
    <message>
        <source>图像</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>设置桌面壁纸</source>
        <translation>Set as Wallpaper</translation>
    </message>
    <message>
        <source>居中</source>
        <translation>Centred</translation>
    </message>
    <message>
        <source>平铺</source>
        <translation>Tiled</translation>
    </message>
    <message>
        <source>拉伸</source>
        <translation>Stretched</translation>
    </message>
    <message>
        <source>压缩相册库</source>
        <translation>Compact Album Store</translation>
    </message>
    <message>
        <source>备份相册库</source>
        <translation>Back Up Album Store</translation>
    </message>
    <message>
        <source>导入旧版相册库...</source>
        <translation>Import Old Album Store...</translation>
    </message>
    <message>
        <source>设置相册密码</source>
        <translation>Set Album Password</translation>
    </message>
    <message>
        <source>修改相册密码</source>
        <translation>Change Album Password</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>如何使用(&amp;H)</source>
        <translation>&amp;How to Use</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>图片另存为</source>
        <translation>Save Picture As</translation>
    </message>
    <message>
        <source>重命名</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>欢迎使用 Quilbo 2009!

第一步:点击“功能”菜单中的“新建相册”,给相册起个名字。
第二步:点击“功能”菜单中的“导入图片”或“导入文件夹...”,把图片放进相册。
然后在左边的相册列表中点击图片,它就会显示在这里。

导入的图片原样保存在这一个相册库文件中:
%1
请经常用“功能”菜单中的“备份相册库”备份它。</source>
        <translation>Welcome to Quilbo 2009!

First: choose &quot;New Album&quot; in the &quot;Albums&quot; menu and give the album a name.
Then: choose &quot;Import Pictures&quot; or &quot;Import Folder...&quot; in the &quot;Albums&quot; menu to put pictures in it.
Click a picture in the album list on the left to see it here.

The pictures you import are kept, exactly as they are, in this one album store file:
%1
Back it up often with &quot;Back Up Album Store&quot; in the &quot;Albums&quot; menu.</translation>
    </message>
    <message>
        <source>%1    %2 张图片</source>
        <translation>%1    %2 pictures</translation>
    </message>
    <message>
        <source>相册已被密码保护!      </source>
        <translation>This album is protected by a password!      </translation>
    </message>
    <message>
        <source>密码错误,拒绝访问该相册!</source>
        <translation>Wrong password: the album stays closed!</translation>
    </message>
    <message>
        <source>图片另存为失败!,请检查磁盘是否已满!</source>
        <translation>Saving the picture failed! Please check whether the disk is full!</translation>
    </message>
    <message>
        <source>请选择一张图片</source>
        <translation>Please choose a picture</translation>
    </message>
    <message>
        <source>请选择图片!</source>
        <translation>Please choose a picture!</translation>
    </message>
    <message>
        <source>确定要删除该图片吗?</source>
        <translation>Are you sure you want to delete this picture?</translation>
    </message>
    <message>
        <source>删除指定图片失败!</source>
        <translation>Deleting the picture failed!</translation>
    </message>
    <message>
        <source>当前版本不支持图片的打印功能,请及时关注本软件的最新版本!</source>
        <translation>This version cannot print pictures; please look out for a newer version!</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>&lt;选择相册&gt;</source>
        <translation>&lt;choose an album&gt;</translation>
    </message>
    <message>
        <source>关键词</source>
        <translation>name</translation>
    </message>
    <message>
        <source>搜索条件不足!</source>
        <translation>Please choose an album and type a picture name!</translation>
    </message>
    <message>
        <source>您确定要删除： %1  这个相册吗?</source>
        <translation>Are you sure you want to delete the album %1?</translation>
    </message>
</context>
<context>
    <name>NewAlbumDialog</name>
    <message>
        <source>新建相册</source>
        <translation>New Album</translation>
    </message>
    <message>
        <source>相册：</source>
        <translation>Album:</translation>
    </message>
    <message>
        <source>(最多6个汉字)</source>
        <translation>(≤12 letters)</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>(密码为可选)</source>
        <translation>(optional)</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请输入您要创建的相册名称  (1-6个汉字)!</source>
        <translation>Please type the name of the new album  (1-6 Chinese characters or 1-12 letters)!</translation>
    </message>
    <message>
        <source>相册名称中不能包含字符&quot;/&quot;!</source>
        <translation>An album name cannot contain the character &quot;/&quot;!</translation>
    </message>
    <message>
        <source>相册名称中不能包含控制字符或文字方向控制字符!</source>
        <translation>An album name cannot contain control characters or text direction controls!</translation>
    </message>
    <message>
        <source>密码长度不能超过15位数字或字母!</source>
        <translation>A password can have at most 15 digits or letters!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>该相册已经存在,请重新建立!</source>
        <translation>That album exists already. Please choose another name!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>相册新建失败!</source>
        <translation>Creating the album failed!</translation>
    </message>
</context>
<context>
    <name>PictureCodec</name>
    <message>
        <source>%1
(详细信息: %2)</source>
        <translation>%1
(Details: %2)</translation>
    </message>
    <message>
        <source>图片已损坏,无法显示</source>
        <translation>The picture is damaged and cannot be shown</translation>
    </message>
    <message>
        <source>图片太大,无法显示</source>
        <translation>The picture is too large to show</translation>
    </message>
    <message>
        <source>这不是本程序能显示的图片</source>
        <translation>This is not a picture this program can show</translation>
    </message>
    <message>
        <source>图片数据读取失败,无法显示</source>
        <translation>Reading the picture data failed; it cannot be shown</translation>
    </message>
</context>
<context>
    <name>PictureImport</name>
    <message>
        <source>导入了 %1 张图片。</source>
        <translation>Imported %1 pictures.</translation>
    </message>
    <message>
        <source>%1 张图片相册中已有,没有再次导入。</source>
        <translation>%1 pictures were in the album already and were not imported again.</translation>
    </message>
    <message>
        <source>同名的图片已存在,改名导入: %1</source>
        <translation>A picture of the same name exists; imported under a new name: %1</translation>
    </message>
    <message>
        <source>没有导入 %1: %2</source>
        <translation>Not imported: %1: %2</translation>
    </message>
    <message>
        <source>导入中止,其余 %1 个文件没有导入。</source>
        <translation>The import stopped; the other %1 files were not imported.</translation>
    </message>
    <message>
        <source>导入已取消;再次导入同样的文件会接着导入其余的图片。</source>
        <translation>The import was cancelled; importing the same files again brings in the rest.</translation>
    </message>
    <message>
        <source>不是文件也不是文件夹</source>
        <translation>neither a file nor a folder</translation>
    </message>
    <message>
        <source>找不到该文件或文件夹</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <source>无法读取该文件 (%1)</source>
        <translation>The file cannot be read (%1)</translation>
    </message>
</context>
<context>
    <name>PictureImportDialog</name>
    <message>
        <source>&lt;请选择相册&gt;</source>
        <translation>&lt;please choose an album&gt;</translation>
    </message>
    <message>
        <source>不是文件</source>
        <translation>not a file</translation>
    </message>
    <message>
        <source>无法读取 (%1)</source>
        <translation>cannot be read (%1)</translation>
    </message>
    <message>
        <source>文件是空的</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>部份图片导入失败,可能该相册中包含有相同的图片名称!</source>
        <translation>Some pictures were not imported; the album may already hold pictures of the same names!</translation>
    </message>
    <message>
        <source>图片 %1 导入失败: %2
在它之前的图片已经导入。</source>
        <translation>Importing the picture %1 failed: %2
The pictures before it have been imported.</translation>
    </message>
    <message>
        <source>图片导入</source>
        <translation>Import Pictures</translation>
    </message>
    <message>
        <source>图片导入向导</source>
        <translation>Picture Import</translation>
    </message>
    <message>
        <source>可批量导入图片，每次最多可以添加50张图片</source>
        <translation>Import many pictures at once, up to 50 at a time</translation>
    </message>
    <message>
        <source>选择图片</source>
        <translation>Add Pictures</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>清空列表</source>
        <translation>Clear List</translation>
    </message>
    <message>
        <source>开始导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>正在导入图片...请您稍后!</source>
        <translation>Importing pictures... please wait!</translation>
    </message>
    <message>
        <source>当前相册:   </source>
        <translation>Album:   </translation>
    </message>
    <message>
        <source>  共有项目0个</source>
        <translation>  0 items</translation>
    </message>
    <message>
        <source>  共有项目%1个</source>
        <translation>  %1 items</translation>
    </message>
    <message>
        <source>当前相册: </source>
        <translation>Album: </translation>
    </message>
    <message>
        <source>访问密码不正确,不能向该相册导入相片!</source>
        <translation>The password is wrong; no pictures can be imported into this album!</translation>
    </message>
    <message>
        <source>选择图片(可多选)</source>
        <translation>Choose Pictures (several at once)</translation>
    </message>
    <message>
        <source>图片文件(*.jpg *.jpeg *.png *.webp *.tif *.tiff *.gif *.bmp)</source>
        <translation>Pictures(*.jpg *.jpeg *.png *.webp *.tif *.tiff *.gif *.bmp)</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>每次导入图片的数量最多为50,请重新选择</source>
        <translation>At most 50 pictures can be imported at a time. Please choose again</translation>
    </message>
    <message>
        <source>当前相册:  </source>
        <translation>Album:  </translation>
    </message>
    <message>
        <source>列表中的图片项已满,请在下次执行此操作</source>
        <translation>The list is full; please add the rest next time</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请在列表中选择需删除的图片项!</source>
        <translation>Please choose in the list the picture to remove!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>删除失败!</source>
        <translation>Removing failed!</translation>
    </message>
    <message>
        <source>列表中没有可导入的图片!</source>
        <translation>The list has no pictures to import!</translation>
    </message>
    <message>
        <source>请选择图片将要导入的相册!</source>
        <translation>Please choose the album to import the pictures into!</translation>
    </message>
    <message>
        <source>相册库中不存在该相册!</source>
        <translation>The album store has no such album!</translation>
    </message>
    <message>
        <source>正导入: %1/%2</source>
        <translation>Importing: %1/%2</translation>
    </message>
    <message>
        <source>图片导入完成!</source>
        <translation>The pictures have been imported!</translation>
    </message>
    <message>
        <source>以下文件不是本程序能显示的图片,已略过:
</source>
        <translation>These files are not pictures this program can show and were left out:
</translation>
    </message>
    <message>
        <source>
……还有 %1 个文件</source>
        <translation>
... and %1 more files</translation>
    </message>
</context>
<context>
    <name>PictureLoader</name>
    <message>
        <source>内存不足,无法显示图片</source>
        <translation>Not enough memory to show the picture</translation>
    </message>
</context>
<context>
    <name>PictureSaveDialog</name>
    <message>
        <source>jpg文件(*.jpg)</source>
        <translation>JPEG files(*.jpg)</translation>
    </message>
</context>
<context>
    <name>PictureViewer</name>
    <message>
        <source>%1 × %2 像素</source>
        <translation>%1 × %2 pixels</translation>
    </message>
    <message>
        <source>拍摄于 %1</source>
        <translation>taken %1</translation>
    </message>
</context>
<context>
    <name>SetAlbumPasswordDialog</name>
    <message>
        <source>&lt;请选择相册&gt;</source>
        <translation>&lt;please choose an album&gt;</translation>
    </message>
    <message>
        <source>设置相册密码</source>
        <translation>Set Album Password</translation>
    </message>
    <message>
        <source>选择相册：</source>
        <translation>Album:</translation>
    </message>
    <message>
        <source>访问密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>确认密码：</source>
        <translation>Confirm:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请选择一个相册！</source>
        <translation>Please choose an album!</translation>
    </message>
    <message>
        <source>该相册已经设置了认证密码,请选择其它相册!</source>
        <translation>This album has a password already. Please choose another album!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>两次输入的密码不一致,请重新输入</source>
        <translation>The two passwords do not match. Please type them again</translation>
    </message>
    <message>
        <source>请输入访问密码!</source>
        <translation>Please type a password!</translation>
    </message>
    <message>
        <source>相册密码设置成功,请记住新密码!</source>
        <translation>The album password has been set. Please remember it!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>相册密码设置失败!</source>
        <translation>Setting the album password failed!</translation>
    </message>
</context>
<context>
    <name>StoreError</name>
    <message>
        <source>相册库正忙,请稍后再试!</source>
        <translation>The album store is busy. Please try again later!</translation>
    </message>
    <message>
        <source>内存不足!</source>
        <translation>Not enough memory!</translation>
    </message>
    <message>
        <source>相册库是只读的,无法写入!</source>
        <translation>The album store is read-only and cannot be written!</translation>
    </message>
    <message>
        <source>读写相册库文件时出错!</source>
        <translation>Reading or writing the album store file failed!</translation>
    </message>
    <message>
        <source>相册库已损坏,请用备份恢复相册库!</source>
        <translation>The album store is damaged. Please restore it from a backup!</translation>
    </message>
    <message>
        <source>磁盘已满,无法写入相册库!</source>
        <translation>The disk is full; the album store cannot be written!</translation>
    </message>
    <message>
        <source>无法打开相册库文件!</source>
        <translation>The album store file cannot be opened!</translation>
    </message>
    <message>
        <source>相册库拒绝了这项修改!</source>
        <translation>The album store refused this change!</translation>
    </message>
    <message>
        <source>相册库没有打开!</source>
        <translation>The album store is not open!</translation>
    </message>
    <message>
        <source>相册库出错!</source>
        <translation>The album store failed!</translation>
    </message>
    <message>
        <source>
(详细信息: %1)</source>
        <translation>
(Details: %1)</translation>
    </message>
</context>
<context>
    <name>StoreLocation</name>
    <message>
        <source>无法建立文件夹 %1</source>
        <translation>The folder %1 cannot be made</translation>
    </message>
</context>
<context>
    <name>Terminal</name>
    <message>
        <source>显示这份说明。</source>
        <translation>Show this help.</translation>
    </message>
    <message>
        <source>显示版本。</source>
        <translation>Show the version.</translation>
    </message>
    <message>
        <source>使用这个相册库文件。</source>
        <translation>Use this album store file.</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>file</translation>
    </message>
    <message>
        <source>不打开窗口,把相册中的图片 (原始文件) 导出到目录: quilbo --export-album 相册 目录。受保护的相册在终端询问密码。</source>
        <translation>Export the pictures of an album (the original files) to a folder, without opening the window: quilbo --export-album ALBUM FOLDER. A protected album&apos;s password is asked on the terminal.</translation>
    </message>
    <message>
        <source>相册</source>
        <translation>album</translation>
    </message>
    <message>
        <source>不打开窗口,把旧版 (Windows) 相册库文件中的相册全部导入相册库,并显示结果。</source>
        <translation>Import every album of an old (Windows) album store file, without opening the window, and show what was done.</translation>
    </message>
    <message>
        <source>不打开窗口,把图片文件和文件夹 (包括子文件夹) 导入相册: quilbo --import 相册 路径...。没有该相册时新建;相册中已有的图片不再导入。</source>
        <translation>Import picture files and folders (subfolders included) into an album, without opening the window: quilbo --import ALBUM PATH.... The album is made when there is none; pictures already in it are not imported again.</translation>
    </message>
    <message>
        <source>Quilbo 2009 相册管理: 把照片保存在一个加密的相册库文件中。</source>
        <translation>Quilbo 2009 photo albums: your photos kept in one encrypted album store file.</translation>
    </message>
    <message>
        <source>图片</source>
        <translation>pictures</translation>
    </message>
    <message>
        <source>要导入相册的图片文件。</source>
        <translation>Picture files to import into an album.</translation>
    </message>
    <message>
        <source>quilbo: --export-album 相册 目录
</source>
        <translation>quilbo: --export-album ALBUM FOLDER
</translation>
    </message>
    <message>
        <source>quilbo: --import 相册 路径...
</source>
        <translation>quilbo: --import ALBUM PATH...
</translation>
    </message>
    <message>
        <source>无法建立相册库文件 %1:
%2</source>
        <translation>The album store file %1 cannot be made:
%2</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>用法: quilbo [选项] %1</source>
        <translation>Usage: quilbo [options] %1</translation>
    </message>
    <message>
        <source>选项:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>参数:</source>
        <translation>Arguments:</translation>
    </message>
</context>
<context>
    <name>TerminalCommands</name>
    <message>
        <source>找不到相册库文件: %1</source>
        <translation>The album store file cannot be found: %1</translation>
    </message>
    <message>
        <source>相册 %1 已设置访问密码,请输入密码: </source>
        <translation>Album %1 has a password. Please type it: </translation>
    </message>
    <message>
        <source>相册名称不能为空,也不能包含控制字符: %1</source>
        <translation>An album name cannot be empty nor contain control characters: %1</translation>
    </message>
    <message>
        <source>无法建立相册: %1</source>
        <translation>The album cannot be made: %1</translation>
    </message>
    <message>
        <source>已新建相册: %1</source>
        <translation>New album made: %1</translation>
    </message>
    <message>
        <source>检查相册中已有的图片</source>
        <translation>checking the pictures already in the album</translation>
    </message>
    <message>
        <source>相册库中没有这个相册: %1</source>
        <translation>The album store has no such album: %1</translation>
    </message>
    <message>
        <source>无法建立导出目录: %1</source>
        <translation>The export folder cannot be made: %1</translation>
    </message>
    <message>
        <source>%1 (名称不能作为文件名)</source>
        <translation>%1 (the name cannot be a file name)</translation>
    </message>
    <message>
        <source>%1 (文件已经存在,没有替换)</source>
        <translation>%1 (the file exists already and was not replaced)</translation>
    </message>
    <message>
        <source>图片 %1 导出失败 (%2),已导出 %3 张。</source>
        <translation>Exporting the picture %1 failed (%2); %3 pictures were exported.</translation>
    </message>
    <message>
        <source>已导出 %1 张图片到 %2</source>
        <translation>Exported %1 pictures to %2</translation>
    </message>
    <message>
        <source>以下图片没有导出:
  </source>
        <translation>These pictures were not exported:
  </translation>
    </message>
    <message>
        <source>访问密码不正确,不能导入该相册!</source>
        <translation>The password is wrong; nothing can be imported into this album!</translation>
    </message>
    <message>
        <source>访问密码不正确,不能导出该相册!</source>
        <translation>The password is wrong; this album cannot be exported!</translation>
    </message>
</context>
<context>
    <name>Wallpaper</name>
    <message>
        <source>设置桌面壁纸失败,桌面没有接受新的壁纸!</source>
        <translation>Setting the wallpaper failed: the desktop did not take the new wallpaper!</translation>
    </message>
    <message>
        <source>无法设置桌面壁纸: 找不到程序 %1,请先安装它!</source>
        <translation>The wallpaper cannot be set: the program %1 cannot be found. Please install it first!</translation>
    </message>
    <message>
        <source>无法写入壁纸文件 %1: %2</source>
        <translation>The wallpaper file %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>无法设置桌面壁纸: 不能识别当前的桌面环境!</source>
        <translation>The wallpaper cannot be set: this desktop is not one the program knows!</translation>
    </message>
    <message>
        <source>无法设置桌面壁纸: 不能建立文件夹 %1!</source>
        <translation>The wallpaper cannot be set: the folder %1 cannot be made!</translation>
    </message>
</context>
</TS>
